#include "app/startup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <cstdlib>

#include "state/module_state.h"
#include "params/reader.h"
#include "text/paths.h"
#include "ui/frm_main.h"
#include "ui/frm_para_file1.h"
#include "ui/frm_splash.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::app {

std::string DefaultParaFilePath() {
  if (const char* env = std::getenv("VARNO_PAR_FILE"); env && *env) return env;
  return ui::U8(QCoreApplication::applicationDirPath()) + "/Veltra.par";
}

void ShowLoadedFile(ui::FrmMain& main, const ModuleState& state) {
  main.lblParFile->setText(ui::Q(std::string(ui::text::kParFilePrefix) +
                                 FileNameOf(state.store.paraFilePath) + "    " +
                                 state.store.VersionUtf8()));
  ui::LockZoneList(*main.cmbPara, state.store.zoneNo);
}

Startup::Startup(ModuleState& state, MessageService& messages, std::string paraFilePath)
    : state_(state), messages_(messages), paraFilePath_(std::move(paraFilePath)) {}

Startup::~Startup() = default;

void Startup::Start() {
  splash_ = std::make_unique<ui::FrmSplash>();
  splash_->onFirstTick = [this] { RunSequence(); };
  splash_->onClosedBeforeStart = [this] { End(); };
  splash_->show();
}

ui::FrmMain& Startup::TouchMain() {
  if (!main_) {
    main_ = std::make_unique<ui::FrmMain>(state_, messages_);
    main_->onUnload = [this] { End(); };
    if (splash_) splash_->close();
    if (onMainLoaded) onMainLoaded(*main_);
  }
  return *main_;
}

void Startup::RunSequence() {
  if (outcome_ != Outcome::kPending) return;
  // 1.
  state_.store.paraFilePath = paraFilePath_;
  // 2. The loading window, modal; it returns once the user has closed it.
  {
    ui::FrmParaFile1 loading(state_, messages_, [this]() -> ui::FrmMain& { return TouchMain(); });
    if (onLoadingShown) onLoadingShown(loading);
    loading.RunModal();
  }
  // 3.
  if (!state_.store.version.empty()) ShowLoadedFile(TouchMain(), state_);
  // 4.
  if (state_.cancelRequested) {
    End();
    return;
  }
  // 5.
  TouchMain().show();
  outcome_ = Outcome::kMainShown;
}

void Startup::End() {
  outcome_ = Outcome::kEnded;
  if (ended_) return;  // closing the remaining windows may report again
  ended_ = true;
  if (onEnd) onEnd();
}

}  // namespace varno::app
