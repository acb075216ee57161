// Renders every window of the program offscreen into PNG files:
//   varno-screenshots <output folder>
// The demo parameter file beside the executable (or VARNO_PAR_FILE) feeds the
// loading window and the conversions shown.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/startup.h"
#include "state/module_state.h"
#include "ui/desktop.h"
#include "ui/frm_adv.h"
#include "ui/frm_main.h"
#include "ui/frm_map.h"
#include "ui/frm_para_file1.h"
#include "ui/frm_splash.h"
#include "ui/message_service.h"
#include "ui_support/dialog_screenshots.h"

namespace {

// Message boxes are not shown while rendering; they are written to stderr.
class ConsoleMessages : public varno::MessageService {
 public:
  void Show(std::string_view text, std::string_view title, varno::MessageIcon) override {
    std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data());
  }
  bool AskYesNo(std::string_view text, std::string_view title, varno::MessageIcon icon,
                bool) override {
    Show(text, title, icon);
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  varno::ui::SetApplicationIdentity();
  QTranslator qtJapanese;
  varno::ui::InstallQtJapanese(qtJapanese);
  varno::ui::InstallFontSubstitutions();
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  QDir dir;
  if (!dir.mkpath(out)) {
    std::fprintf(stderr, "cannot create %s\n", out.toLocal8Bit().constData());
    return 1;
  }
  dir.setPath(out);
  bool ok = true;

  varno::ModuleState state;
  ConsoleMessages messages;
  state.store.paraFilePath = varno::app::DefaultParaFilePath();

  {
    varno::ui::FrmSplash splash;
    splash.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    ok &= varno::ui::SaveScreenshot(splash, dir, "frmSplash");
  }

  varno::ui::FrmMain main(state, messages);
  {
    varno::ui::FrmParaFile1 loading(state, messages);
    QObject::connect(&loading, &varno::ui::FrmParaFile1::parFileTextChanged, &main,
                     &varno::ui::FrmMain::SetParFileText);
    QObject::connect(&loading, &varno::ui::FrmParaFile1::zoneRead, &main,
                     &varno::ui::FrmMain::LockZones);
    loading.show();
    loading.LoadStep();
    ok &= varno::ui::SaveScreenshot(loading, dir, "frmParaFile1");
  }

  // The main window as the start-up sequence shows it.
  if (!state.store.version.empty()) varno::app::ShowLoadedFile(main, state);
  ok &= varno::ui::SaveScreenshot(main, dir, "frmMain_start");
  main.Calculate();
  ok &= varno::ui::SaveScreenshot(main, dir, "frmMain");
  main.findChild<QRadioButton*>(QStringLiteral("optBl"))->click();
  main.Calculate();
  ok &= varno::ui::SaveScreenshot(main, dir, "frmMain_latlon");

  {
    // A rejected key: its message on the dark-red status line.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(main.findChild<QLineEdit*>(QStringLiteral("txtTkyx")), &key);
    ok &= varno::ui::SaveScreenshot(main, dir, "frmMain_rejected");
  }

  main.ToggleAdv();
  if (main.frmAdv()) ok &= varno::ui::SaveScreenshot(*main.frmAdv(), dir, "frmAdv");

  // The batch dialog, the viewers, the help window, the printed page.
  ok &= varno::ui::RenderDialogScreenshots(dir.path(), state, main);
  ok &= varno::ui::RenderStandardDialogs(dir.path(), main);

  // The parameter-range picture with the last single point and batch run.
  {
    varno::ui::FrmMap map(state.store, state.lastRun, state.lastPoint, messages);
    map.resize(1000, 760);
    map.show();
    map.Refresh(true);
    ok &= varno::ui::SaveScreenshot(map, dir, "frmMap");
  }

  return ok ? 0 : 1;
}
