// The program: one module state, the Qt message boxes, the start-up sequence.
#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QTranslator>
#include <memory>

#include "app/startup.h"
#include "state/module_state.h"
#include "ui/desktop.h"
#include "ui/frm_file.h"
#include "ui/frm_main.h"
#include "ui/frm_map.h"
#include "ui/message_service.h"
#include "ui/print_result.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  varno::ui::SetApplicationIdentity();
  // Qt's own buttons, menus and dialogs in Japanese like the rest (English when
  // the translations are not installed).
  QTranslator qtJapanese;
  varno::ui::InstallQtJapanese(qtJapanese);
  // The program ends by its own rules (main window closed, no parameters),
  // not when some window happens to be the last one.
  QApplication::setQuitOnLastWindowClosed(false);
  varno::ui::InstallFontSubstitutions();

  varno::ModuleState state;
  varno::ui::QtMessageService messages;
  varno::app::Startup startup(state, messages, varno::app::DefaultParaFilePath());

  std::unique_ptr<varno::ui::FrmFile> frmFile;
  std::unique_ptr<varno::ui::FrmMap> frmMap;
  // An open parameter-range picture follows the conversions, keeping its view.
  auto refreshMap = [&] {
    if (frmMap && frmMap->isVisible()) frmMap->Refresh(false);
  };
  // The picture, one window, brought up to date and fitted to the grid and the
  // points each time it is opened.
  auto openMap = [&] {
    if (!frmMap) {
      frmMap = std::make_unique<varno::ui::FrmMap>(state.store, state.lastRun, state.lastPoint,
                                                   messages);
    }
    frmMap->Refresh(true);
    frmMap->show();
    frmMap->raise();
    frmMap->activateWindow();
  };
  startup.onMainLoaded = [&](varno::ui::FrmMain& main) {
    // The batch button and menu open the one batch dialog; the print button
    // prints the page of the point shown.
    main.onOpenBatch = [&] {
      if (!frmFile) {
        frmFile = std::make_unique<varno::ui::FrmFile>(state, main, messages);
        frmFile->onOpenMap = openMap;
        frmFile->onRunEnded = refreshMap;
      }
      frmFile->Open();
    };
    main.onPrint = [&] { varno::ui::PrintResult(main, state, messages, main.printer()); };
    main.onOpenMap = openMap;
    main.onConverted = refreshMap;
  };
  startup.onEnd = [&] {
    // A batch run in progress stops at its next yield.
    state.cancelRequested = true;
    if (frmFile) frmFile->close();
    if (frmMap) frmMap->close();
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
  };
  startup.Start();
  const int rc = QApplication::exec();
  frmFile.reset();  // before the main window it refers to
  frmMap.reset();
  return rc;
}
