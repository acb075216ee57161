#include "app/startup.h"

#include <QCoreApplication>
#include <cstdlib>

#include "params/reader.h"
#include "state/module_state.h"
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
  main.SetParFileText(ui::Q(std::string(ui::text::kParFilePrefix) +
                            FileNameOf(state.store.paraFilePath) + "    " +
                            state.store.VersionUtf8()));
  main.LockZones(state.store.zoneNo);
}

Startup::Startup(ModuleState& state, MessageService& messages, std::string paraFilePath)
    : state_(state), messages_(messages), paraFilePath_(std::move(paraFilePath)) {}

Startup::~Startup() = default;

void Startup::Start() {
  splash_ = std::make_unique<ui::FrmSplash>();
  connect(splash_.get(), &ui::FrmSplash::firstTick, this, &Startup::RunSequence);
  connect(splash_.get(), &ui::FrmSplash::closedBeforeStart, this, &Startup::End);
  splash_->show();
}

ui::FrmMain& Startup::TouchMain() {
  if (!main_) {
    main_ = std::make_unique<ui::FrmMain>(state_, messages_);
    connect(main_.get(), &ui::FrmMain::unloaded, this, &Startup::End);
    if (splash_) splash_->close();
    emit mainLoaded(*main_);
  }
  return *main_;
}

void Startup::RunSequence() {
  if (outcome_ != Outcome::kPending) return;
  // 1.
  state_.store.paraFilePath = paraFilePath_;
  // 2. The loading window, modal; it returns once the user has closed it.
  {
    // What the loading window reports goes to the main window, which is
    // loaded on first use.
    ui::FrmParaFile1 loading(state_, messages_);
    connect(&loading, &ui::FrmParaFile1::parFileTextChanged, this,
            [this](const QString& text) { TouchMain().SetParFileText(text); });
    connect(&loading, &ui::FrmParaFile1::zoneRead, this,
            [this](int zoneNo) { TouchMain().LockZones(zoneNo); });
    emit loadingShown(loading);
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
  emit ended();
}

}  // namespace varno::app
