// Recorders and file helpers shared by the parameter tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "params/reader.h"
#include "params/store.h"
#include "text/report.h"

namespace varno::params::testing {

// A folder of its own per test program, removed at exit.
inline std::filesystem::path TempDir() {
  struct Folder {
    std::filesystem::path path;
    Folder()
        : path(std::filesystem::temp_directory_path() /
               ("varno-params-test-" + std::to_string(::getpid()))) {
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static const Folder folder;
  return folder.path;
}

inline std::string WriteTemp(const std::string& name, const std::string& bytes) {
  auto path = TempDir() / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

// Records everything the reading tells its window, in order.
class RecordingLoadView : public LoadView {
 public:
  std::vector<std::string> statusTexts;
  std::vector<Rgb> colors;
  std::vector<long> progress;
  std::vector<double> progressMax;
  std::vector<std::string> sizeTexts;
  std::vector<bool> breakShown;
  std::vector<bool> busy;
  int yields = 0;
  std::function<void(int)> onYield;  // called with the yield's number (1-based)

  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void SetStatusColor(Rgb color) override { colors.push_back(color); }
  void SetProgressMax(double max) override { progressMax.push_back(max); }
  void SetProgress(long value) override { progress.push_back(value); }
  void SetSizeText(const std::string& text) override { sizeTexts.push_back(text); }
  void ShowBreak(bool visible) override { breakShown.push_back(visible); }
  void SetBusy(bool b) override { busy.push_back(b); }
  void Yield() override {
    ++yields;
    if (onYield) onYield(yields);
  }
};

// The main status label and the message boxes, as one event list.
class RecordingReporter : public StatusSink, public MessageService {
 public:
  struct Event {
    std::string kind;  // "text", "color", "box"
    std::string text;
    Rgb color{0, 0, 0};
  };
  std::vector<Event> events;

  void SetStatusText(std::string_view text) override {
    events.push_back({"text", std::string(text), {}});
  }
  void SetStatusColor(Rgb color) override { events.push_back({"color", {}, color}); }
  void Show(std::string_view text, std::string_view title, MessageIcon) override {
    events.push_back({"box", std::string(text) + "|" + std::string(title), {}});
  }
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }

  Reporter reporter() { return Reporter{*this, *this}; }
};

// Reads `bytes` as a parameter file and returns the store.
inline ParamStore ReadBytes(const std::string& name, const std::string& bytes,
                            RecordingLoadView* viewOut = nullptr) {
  ParamStore store;
  store.paraFilePath = WriteTemp(name, bytes);
  bool cancel = false;
  RecordingLoadView local;
  ReadParaFile(store, cancel, viewOut ? *viewOut : local);
  return store;
}

// The header of a small test grid (zone 9).
inline std::string Header(const std::string& line2 = "0,4000,1000",
                          const std::string& line3 = "0,3000,1000") {
  return "\"test\",\"method\",\"1.0\",9\r\n" + line2 + "\r\n" + line3 + "\r\nX,Y,dX,dY,dH\r\n";
}

}  // namespace varno::params::testing
