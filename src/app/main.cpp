// The program: one module state, the Qt message boxes, the start-up sequence.
#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <memory>

#include "app/module_state.h"
#include "app/startup.h"
#include "ui/frm_main.h"
#include "ui/message_service.h"

// The batch dialog and the printed result, wired as soon as their sources
// exist (the build defines the two macros then).
#ifdef VARNO_HAVE_FRM_FILE
#include "ui/frm_file.h"
#endif
#ifdef VARNO_HAVE_PRINT
#include "ui/print_result.h"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The program ends by its own rules (main window closed, no parameters),
  // not when some window happens to be the last one.
  QApplication::setQuitOnLastWindowClosed(false);
  varno::ui::InstallFontSubstitutions();

  varno::ModuleState state;
  varno::ui::QtMessageService messages;
  varno::app::Startup startup(state, messages, varno::app::DefaultParaFilePath());

#ifdef VARNO_HAVE_FRM_FILE
  std::unique_ptr<varno::ui::FrmFile> frmFile;
#endif
  startup.onMainLoaded = [&](varno::ui::FrmMain& main) {
  // ---- Batch dialog and printing are wired here. ----
#ifdef VARNO_HAVE_FRM_FILE
    main.onOpenBatch = [&] {
      if (!frmFile) frmFile = std::make_unique<varno::ui::FrmFile>(state, main, messages);
      frmFile->Open();
    };
#endif
#ifdef VARNO_HAVE_PRINT
    main.onPrint = [&] { varno::ui::PrintResult(main, state, messages, main.printer()); };
#endif
    (void)main;
  };
  startup.onEnd = [&] {
    // A batch run in progress stops at its next yield.
    state.cancelRequested = true;
#ifdef VARNO_HAVE_FRM_FILE
    if (frmFile) frmFile->close();
#endif
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
  };
  startup.Start();
  const int rc = QApplication::exec();
#ifdef VARNO_HAVE_FRM_FILE
  frmFile.reset();  // before the main window it refers to
#endif
  return rc;
}
