// The start-up sequence: splash, the modal loading window, then the main
// window, or the end of the program when no parameter file could be opened.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "text/report.h"

namespace varno {
struct ModuleState;
}

namespace varno::ui {
class FrmMain;
class FrmParaFile1;
class FrmSplash;
}  // namespace varno::ui

namespace varno::app {

// The parameter file beside the executable, or VARNO_PAR_FILE when set (tests
// and installations that keep the grid elsewhere).
std::string DefaultParaFilePath();

// After a load that found the file's version: the main window's file label
// names the file and its version, and the zone list is locked to its zone.
void ShowLoadedFile(ui::FrmMain& main, const ModuleState& state);

class Startup : public QObject {
  Q_OBJECT
 public:
  enum class Outcome { kPending, kMainShown, kEnded };

  Startup(ModuleState& state, MessageService& messages, std::string paraFilePath);
  ~Startup() override;

  // Shows the splash; its timer runs the sequence.
  void Start();
  // The start-up sequence (the splash timer's first tick).
  void RunSequence();

  // The main window, loaded on first use (its load closes the splash).
  ui::FrmMain& TouchMain();
  ui::FrmMain* mainWindow() const { return main_.get(); }
  ui::FrmSplash* splash() const { return splash_.get(); }
  Outcome outcome() const { return outcome_; }

 signals:
  // The main window has been loaded (the windows are wired to it here).
  void mainLoaded(ui::FrmMain& main);
  // The loading window, just before it is shown modally (tests drive it from
  // here).
  void loadingShown(ui::FrmParaFile1& loading);
  // The program ends: no parameters, the splash closed before the start, or
  // the main window closed.
  void ended();

 private:
  void End();
  bool ended_ = false;

  ModuleState& state_;
  MessageService& messages_;
  std::string paraFilePath_;
  std::unique_ptr<ui::FrmSplash> splash_;
  std::unique_ptr<ui::FrmMain> main_;
  Outcome outcome_ = Outcome::kPending;
};

}  // namespace varno::app
