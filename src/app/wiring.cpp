#include "app/wiring.h"

#include <QApplication>

#include "app/startup.h"
#include "state/module_state.h"
#include "ui/frm_file.h"
#include "ui/frm_main.h"
#include "ui/frm_map.h"
#include "ui/print_result.h"

namespace varno::app {

Windows::Windows(ModuleState& state, MessageService& messages)
    : state_(state), messages_(messages) {}

Windows::~Windows() {
  frmFile_.reset();  // before the main window it refers to
  frmMap_.reset();
}

void Windows::Attach(Startup& startup) {
  connect(&startup, &Startup::mainLoaded, this, [this](ui::FrmMain& main) { Attach(main); });
  connect(&startup, &Startup::ended, this, [this] {
    CloseAll();
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
  });
}

void Windows::Attach(ui::FrmMain& main) {
  connect(&main, &ui::FrmMain::batchRequested, this, [this, &main] { OpenBatch(main); });
  // The print button prints the page of the point shown.
  connect(&main, &ui::FrmMain::printRequested, this,
          [this, &main] { ui::PrintResult(main, state_, messages_, main.printer()); });
  connect(&main, &ui::FrmMain::mapRequested, this, &Windows::OpenMap);
  connect(&main, &ui::FrmMain::converted, this, &Windows::RefreshMap);
}

void Windows::OpenBatch(ui::FrmMain& main) {
  if (!frmFile_) {
    frmFile_ = std::make_unique<ui::FrmFile>(state_, main.zoneItems(), main, messages_);
    connect(frmFile_.get(), &ui::FrmFile::mapRequested, this, &Windows::OpenMap);
    connect(frmFile_.get(), &ui::FrmFile::runEnded, this, &Windows::RefreshMap);
  }
  frmFile_->Open();
}

void Windows::OpenMap() {
  if (!frmMap_) {
    frmMap_ =
        std::make_unique<ui::FrmMap>(state_.store, state_.lastRun, state_.lastPoint, messages_);
  }
  frmMap_->Refresh(true);
  frmMap_->show();
  frmMap_->raise();
  frmMap_->activateWindow();
}

void Windows::RefreshMap() {
  if (frmMap_ && frmMap_->isVisible()) frmMap_->Refresh(false);
}

void Windows::CloseAll() {
  state_.cancelRequested = true;
  if (frmFile_) frmFile_->close();
  if (frmMap_) frmMap_->close();
}

}  // namespace varno::app
