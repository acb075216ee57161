// How the windows of the program work together, connected in this one place:
// the main window opens the batch dialog, the printing and the
// parameter-range picture; an open picture follows every conversion and every
// batch run; the end of the program closes them all.
#pragma once

#include <QObject>
#include <memory>

#include "text/report.h"

namespace varno {
struct ModuleState;
}

namespace varno::ui {
class FrmFile;
class FrmMain;
class FrmMap;
}  // namespace varno::ui

namespace varno::app {

class Startup;

class Windows : public QObject {
  Q_OBJECT
 public:
  Windows(ModuleState& state, MessageService& messages);
  ~Windows() override;

  // Wires the main window once the start-up has loaded it, and the end of
  // the program.
  void Attach(Startup& startup);
  // Wires one main window's requests.
  void Attach(ui::FrmMain& main);

  // The batch dialog and the picture, once opened.
  ui::FrmFile* batchDialog() const { return frmFile_.get(); }
  ui::FrmMap* picture() const { return frmMap_.get(); }

 public slots:
  // The one batch dialog, created on first use.
  void OpenBatch(ui::FrmMain& main);
  // The picture, one window, brought up to date and fitted to the grid and
  // the points each time it is opened.
  void OpenMap();
  // An open picture shows the new points, keeping its view.
  void RefreshMap();
  // Closes the batch dialog and the picture; a batch run in progress stops at
  // its next yield.
  void CloseAll();

 private:
  ModuleState& state_;
  MessageService& messages_;
  std::unique_ptr<ui::FrmFile> frmFile_;
  std::unique_ptr<ui::FrmMap> frmMap_;
};

}  // namespace varno::app
