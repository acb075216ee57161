// Shared helpers of the batch tests: recorders for the window interfaces, a
// grid with constant corrections, and file helpers.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "batch/convert.h"
#include "geodesy/ellipsoid.h"
#include "params/interpolate.h"
#include "params/store.h"
#include "text/report.h"

namespace varno::batch::testing {

struct StatusRecorder : StatusSink {
  std::vector<std::string> texts;
  std::vector<Rgb> colors;
  void SetStatusText(std::string_view t) override { texts.emplace_back(t); }
  void SetStatusColor(Rgb c) override { colors.push_back(c); }
};

struct MessageRecorder : MessageService {
  struct Box {
    std::string text, title;
    MessageIcon icon;
  };
  std::vector<Box> boxes;
  void Show(std::string_view text, std::string_view title, MessageIcon icon) override {
    boxes.push_back({std::string(text), std::string(title), icon});
  }
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }
};

// Records what a run shows in the dialog.
struct ViewRecorder : BatchView {
  bool showResult = false;
  std::vector<std::string> lineTexts, percentTexts;
  std::vector<long> progress;
  long progressMax = -1;
  std::vector<std::pair<std::string, Rgb>> dialogStatus;
  std::vector<bool> breakShown, startEnabled, busy;
  std::vector<std::string> viewerOpened;
  int yields = 0;
  long lastLine = 0;
  std::function<void(ViewRecorder&)> onYield;       // e.g. click the cancel button
  std::function<void(ViewRecorder&, long)> onLine;  // e.g. change a choice mid-run

  void ShowBreak(bool v) override { breakShown.push_back(v); }
  void SetLineText(const std::string& t) override { lineTexts.push_back(t); }
  void SetPercentText(const std::string& t) override { percentTexts.push_back(t); }
  void SetProgressMax(long m) override { progressMax = m; }
  void SetProgress(long v) override { progress.push_back(v); }
  void SetDialogStatus(const std::string& t, Rgb c) override { dialogStatus.emplace_back(t, c); }
  void EnableStart(bool e) override { startEnabled.push_back(e); }
  void SetBusy(bool b) override { busy.push_back(b); }
  bool ShowResultFile() override { return showResult; }
  void OpenOutFileView(const std::string& p) override { viewerOpened.push_back(p); }
  void Yield() override {
    ++yields;
    if (onYield) onYield(*this);
  }
  void LineStarted(long n) override {
    lastLine = n;
    if (onLine) onLine(*this, n);
  }
  bool cancelWhileCounting = false;  // a cancel that arrives while the lines are counted
  bool CancelWhileCounting() override { return cancelWhileCounting; }
};

// Grid of zone 9 around its origin: nodes every 1000 m from -10000 to +10000
// in X and Y, each with dX = +0.5, dY = -0.25, dH = +0.125; the representative
// point is dX = +1.25, dY = +2, dH = -0.5. Points with |X|, |Y| < 10000 are
// inside.
inline params::ParamStore MakeConstantGrid(int16_t zone = 9) {
  params::ParamStore s;
  s.paraFilePath = "/data/params/Test.par";
  s.rangeText = "\x83\x65\x83\x58\x83\x67\x94\xcd\x88\xcd";  // テスト範囲 (CP932)
  s.methodText = "\x88\xea\x92\xe8\x95\xe2\x90\xb3";         // 一定補正
  s.version = "T1.0";
  s.zoneNo = zone;
  s.gridMinX = s.gridMinY = -10000;
  s.gridMaxX = s.gridMaxY = 10000;
  s.gridStepX = s.gridStepY = 1000;
  for (int i = -10; i <= 10; ++i)
    for (int j = -10; j <= 10; ++j)
      s.records.push_back({i * 1000.0, j * 1000.0, 0.5, -0.25, 0.125});
  s.count = static_cast<int32_t>(s.records.size() - 1);
  s.repDx = 1.25;
  s.repDy = 2.0;
  s.repDh = -0.5;
  return s;
}

// What a run made in a child process under a file size limit told: whether
// it went as the child expected, and the text it handed back (a message).
struct LimitedRun {
  bool asExpected = false;
  std::string text;
};

// Runs `run` in a child process whose files may grow to `limit` bytes at most,
// as on a full disk (SIGXFSZ ignored, so a write beyond the limit fails).
// `run` says whether the run went as expected and what text to hand back.
inline LimitedRun RunUnderFileSizeLimit(rlim_t limit,
                                        const std::function<std::pair<bool, std::string>()>& run) {
  LimitedRun result;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return result;
  const pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::close(pipeFds[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit lim{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    const auto [asExpected, text] = run();
    (void)!::write(pipeFds[1], text.data(), text.size());
    ::_exit(asExpected ? 0 : 1);
  }
  ::close(pipeFds[1]);
  char buf[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
    result.text.append(buf, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  result.asExpected =
      ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

// Splits result bytes at CR LF (the result file's only line end).
inline std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < bytes.size()) {
    std::size_t q = bytes.find("\r\n", p);
    if (q == std::string::npos) {
      lines.push_back(bytes.substr(p));
      break;
    }
    lines.push_back(bytes.substr(p, q - p));
    p = q + 2;
  }
  return lines;
}

// A new empty folder under the test temp folder. ctest runs the tests as
// separate processes at the same time: every test takes a name of its own.
inline std::filesystem::path FreshDir(const std::string& name) {
  auto dir = std::filesystem::path(::testing::TempDir()) / ("varno_batch_" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::filesystem::path DataFile(const std::string& name) {
  return std::filesystem::path(VARNO_TEST_DATA) / "batch" / name;
}

// Everything one run needs, with the result file opened as the dialog does.
struct Harness {
  params::ParamStore store = MakeConstantGrid();
  params::ConversionMode mode = params::ConversionMode::kGridOnly;
  Process process = Process::kXy;
  bool withInput = false;
  InputFormat format = InputFormat::kText;
  RunTotals totals;  // of the last run
  geo::GeoState geo;
  LineObserver* observer = nullptr;
  int jobs = 1;                             // conversion threads of the run
  RunSettings* running = nullptr;           // the settings of the run in progress
  std::function<long long()> countedLines;  // BatchContext::countedLines
  BatchFiles files;
  bool cancel = false;
  ViewRecorder view;
  StatusRecorder status;
  MessageRecorder messages;
  std::filesystem::path outPath;

  explicit Harness(const std::filesystem::path& dir) : outPath(dir / "result.out") {
    geo.zone = geo::ParseZoneItem(geo::ZoneItems()[8]);
  }
  void Choose(const std::filesystem::path& in) {
    files.inFilePath = in.string();
    files.outFilePath = outPath.string();
    files.outFile = std::fopen(files.outFilePath.c_str(), "wb");
    ASSERT_NE(files.outFile, nullptr);
    files.inFileChosen = files.outFileChosen = true;
  }
  RunSettings Settings() const { return {store, mode, process, withInput, geo, format}; }
  RunOutcome Run(bool bl) {
    RunSettings settings = Settings();
    running = &settings;
    BatchContext ctx{settings, files,   cancel, view,        {status, messages},
                     observer, &totals, jobs,   countedLines};
    const RunOutcome outcome = bl ? Bl_File(ctx) : XY_File(ctx);
    running = nullptr;
    return outcome;
  }
  std::string Result() const { return ReadBytes(outPath); }
};

}  // namespace varno::batch::testing
