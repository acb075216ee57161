// The program: one module state, the Qt message boxes, the start-up sequence
// and the windows wired to it.
#include <QApplication>
#include <QTranslator>

#include "app/startup.h"
#include "app/wiring.h"
#include "state/module_state.h"
#include "ui/desktop.h"
#include "ui/message_service.h"

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
  varno::app::Windows windows(state, messages);
  windows.Attach(startup);
  startup.Start();
  return QApplication::exec();
}
