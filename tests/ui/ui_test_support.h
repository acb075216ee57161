// Helpers shared by the window tests: a recording MessageService, parameter
// files in a temporary folder, a loaded module state.
#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "params/reader.h"
#include "state/module_state.h"
#include "support/gridgen.h"
#include "support/silent_views.h"
#include "text/report.h"
#include "ui/frm_main.h"

namespace varno::ui::testing {

// Records every message box instead of showing it.
class RecordingMessages : public MessageService {
 public:
  struct Box {
    std::string text, title;
    MessageIcon icon;
  };
  void Show(std::string_view text, std::string_view title, MessageIcon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  bool AskYesNo(std::string_view text, std::string_view title, MessageIcon icon,
                bool /*defaultNo*/) override {
    boxes.push_back({std::string(text), std::string(title), icon});
    return answerYes;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Box& b : boxes) t.push_back(b.text);
    return t;
  }
  std::vector<Box> boxes;
  bool answerYes = true;
};

// A temporary folder holding a parameter file written from a grid description.
class GridFile {
 public:
  explicit GridFile(const params::GridShape& shape = params::DemoGridShape(),
                    const char* name = "Veltra.par")
      : path_(dir_.filePath(QString::fromLatin1(name)).toStdString()) {
    ok_ = params::WriteGridFile(shape, path_);
  }
  const std::string& path() const { return path_; }
  std::string MissingPath() const { return dir_.filePath("missing/Veltra.par").toStdString(); }
  bool ok() const { return ok_; }

 private:
  QTemporaryDir dir_;
  std::string path_;
  bool ok_ = false;
};

// Reads `path` into the state's store, as the loading window would.
inline void LoadStore(ModuleState& state, const std::string& path) {
  state.store.paraFilePath = path;
  bool cancel = false;
  params::SilentLoadView view;
  params::ReadParaFile(state.store, cancel, view);
}

// The main window over the demo grid, read as at start-up. `grid.ok()` says
// whether the grid could be written.
struct LoadedMain {
  GridFile grid;
  ModuleState state;
  RecordingMessages messages;
  std::unique_ptr<FrmMain> window;

  LoadedMain() {
    if (grid.ok()) LoadStore(state, grid.path());
    window = std::make_unique<FrmMain>(state, messages);
  }
};

// Calls `action` from the event loop as soon as `ready` holds (polled); used
// to drive modal windows without blocking the test.
inline void WhenReady(QObject* context, std::function<bool()> ready, std::function<void()> action) {
  auto* timer = new QTimer(context);
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, context, [timer, ready, action] {
    if (!ready()) return;
    timer->stop();
    timer->deleteLater();
    action();
  });
  timer->start();
}

}  // namespace varno::ui::testing
