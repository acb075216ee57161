// Helpers of the batch dialog, viewer and printing tests: the application
// object, recorders for the message boxes and the main status, scripted file
// dialogs, a loaded demo grid and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/ellipsoid.h"
#include "params/reader.h"
#include "state/module_state.h"
#include "support/gridgen.h"
#include "support/silent_views.h"
#include "text/report.h"
#include "ui/frm_file.h"
#include "ui/message_service.h"

namespace varno::ui::dtest {

// The QApplication of the test program, created once when the test main has
// not made one.
inline void EnsureApp() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  InstallFontSubstitutions();
}

struct Messages : MessageService {
  struct Box {
    std::string text, title;
    MessageIcon icon;
  };
  std::vector<Box> boxes;
  std::vector<std::string> questions;
  bool answer = true;  // the answer to every Yes/No question
  void Show(std::string_view text, std::string_view title, MessageIcon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  bool AskYesNo(std::string_view text, std::string_view, MessageIcon, bool) override {
    questions.emplace_back(text);
    return answer;
  }
};

struct Status : StatusSink {
  std::vector<std::string> texts;
  void SetStatusText(std::string_view t) override { texts.emplace_back(t); }
  void SetStatusColor(Rgb) override {}
};

// File dialogs answering from a queue; an empty queue means "cancelled".
struct ScriptedChooser : FileChooser {
  std::deque<std::optional<std::string>> inputs, results;
  std::vector<std::string> proposed, initialDirs;
  std::optional<std::string> ChooseInput(QWidget*, const std::string& dir) override {
    initialDirs.push_back(dir);
    return Pop(inputs);
  }
  std::optional<std::string> ChooseResult(QWidget*, const std::string& dir,
                                          const std::string& name) override {
    initialDirs.push_back(dir);
    proposed.push_back(name);
    return Pop(results);
  }
  static std::optional<std::string> Pop(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
  }
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The main window's zone list.
inline void FillZones(QComboBox& box) {
  for (std::string_view item : geo::ZoneItems()) box.addItem(Q(item));
  box.setCurrentIndex(8);
}

// Writes the demo grid into `dir` and loads it into the module state.
inline std::string LoadDemoGrid(ModuleState& state, const QString& dir) {
  const std::string path = U8(dir) + "/Veltra.par";
  EXPECT_TRUE(params::WriteGridFile(params::DemoGridShape(), path));
  state.store.paraFilePath = path;
  params::SilentLoadView view;
  params::ReadParaFile(state.store, state.cancelRequested, view);
  EXPECT_GT(state.store.count, 0);
  return path;
}

}  // namespace varno::ui::dtest
