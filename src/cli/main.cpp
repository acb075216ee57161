// varno-batch: the batch conversion of the program without its windows, for
// scripts and very large files. It writes the same result file as the dialog.
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch/convert.h"
#include "batch/io.h"
#include "batch/sima.h"
#include "cli/console.h"
#include "cli/options.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/projection.h"
#include "map/recorder.h"
#include "map/svg.h"
#include "params/reader.h"
#include "params/store.h"
#include "state/module_state.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/format.h"
#include "text/paths.h"

namespace {

using namespace varno;

constexpr int kExitOk = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWarning = 3;  // finished, with points left unconverted or none read

// The folder of this executable, with a trailing "/".
std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  ssize_t len = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (len <= 0) return "./";
  std::string path(buf.data(), static_cast<std::size_t>(len));
  std::string folder = FolderOf(path);
  return folder.empty() ? "./" : folder;
}

// --par, else VARNO_PAR_FILE (as the program reads it), else Veltra.par beside
// the executable.
std::string ParaFilePath(const cli::Options& opt) {
  if (!opt.parFile.empty()) return opt.parFile;
  if (const char* env = std::getenv("VARNO_PAR_FILE"); env != nullptr && *env != '\0') return env;
  return ExecutableFolder() + "Veltra.par";
}

void Say(const std::string& text) {
  std::fprintf(stderr, "varno-batch: %s\n", cli::OneLine(text).c_str());
}

constexpr const char* kMapClashText =
    "--map に入力ファイル・出力ファイル・報告ファイル・変換パラメータファイルと同じファイルが"
    "指定されました。別のファイルを指定して下さい。";

// Writes the picture of the run; says why when it cannot.
bool WriteMap(const std::string& path, const std::string& svg) {
  FileProblem problem;
  std::FILE* f = OpenResultForWriting(path, problem);
  if (f == nullptr) {
    Say("範囲図が書き出せません。 Error #" + SpacedNumber(problem.number) + "  " +
        problem.description + " (" + path + ")");
    return false;
  }
  const bool ok = std::fwrite(svg.data(), 1, svg.size(), f) == svg.size();
  if (std::fclose(f) != 0 || !ok) {
    Say("範囲図が書き出せません。 (" + path + ")");
    return false;
  }
  return true;
}

// The exit status when a step ends the program; nullopt goes on.
using Stop = std::optional<int>;

bool ToStdout(const cli::Options& opt) {
  return opt.output == cli::kStdoutName;
}

// Where a SIMA run writes its report: beside the result, or beside the input
// when the result goes to standard output. Empty for the other formats.
std::string ReportPath(const cli::Options& opt) {
  if (opt.format != batch::InputFormat::kSima) return {};
  return batch::sima::ReportPathFor(ToStdout(opt) ? StripExtension(opt.input) + "_2011.sim"
                                                  : opt.output);
}

// Bad usage, --help and --version end the program here.
Stop ReadCommandLine(int argc, char** argv, cli::Options& opt) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string usageError;
  auto parsed = cli::ParseOptions(args, usageError);
  if (!parsed) {
    Say(usageError);
    std::fputs("詳しくは varno-batch --help (see varno-batch --help)\n", stderr);
    return kExitUsage;
  }
  opt = *parsed;
  if (opt.help) {
    std::fputs(cli::HelpText().c_str(), stdout);
    return kExitOk;
  }
  if (opt.version) {
    std::fputs(cli::VersionText().c_str(), stdout);
    return kExitOk;
  }
  return std::nullopt;
}

// The input file must survive: refuse it as the result file before anything
// is opened (opening the result file empties it). Standard output redirected
// onto the input is refused when the run starts.
Stop RefuseInputAsResult(const cli::Options& opt) {
  const bool toStdout = ToStdout(opt);
  if (std::string refusal = toStdout ? "" : batch::CheckOutputPath(opt.input, opt.output);
      !refusal.empty()) {
    Say(refusal);
    return kExitUsage;
  }
  // The picture must not replace any file of the run.
  const std::string report = ReportPath(opt);
  if (!opt.mapFile.empty() &&
      (!batch::CheckOutputPath(opt.input, opt.mapFile).empty() ||
       (!toStdout && !batch::CheckOutputPath(opt.output, opt.mapFile).empty()) ||
       (!report.empty() && !batch::CheckOutputPath(report, opt.mapFile).empty()))) {
    Say(kMapClashText);
    return kExitUsage;
  }
  return std::nullopt;
}

Stop LoadParameters(const cli::Options& opt, ModuleState& state) {
  params::ParamStore& store = state.store;
  store.paraFilePath = ParaFilePath(opt);
  // A FIFO or a device would block the reading or never end it.
  if (FileProblem problem; !CanReadRegularFile(store.paraFilePath, problem)) {
    Say(params::OpenFailureMessage(store.paraFilePath) + " (" + store.paraFilePath + ": " +
        problem.description + ")");
    return kExitError;
  }
  cli::ConsoleLoadView loadView;
  params::ReadParaFile(store, state.cancelRequested, loadView);
  if (loadView.failed()) {
    Say(loadView.text());
    return kExitError;
  }
  if (opt.verbose) Say(params::SummaryText(store));
  return std::nullopt;
}

// Neither the picture nor the result file may be the parameter file: it would
// be emptied.
Stop RefuseParametersAsResult(const cli::Options& opt, const params::ParamStore& store) {
  if (!opt.mapFile.empty() && !batch::CheckOutputPath(store.paraFilePath, opt.mapFile).empty()) {
    Say(kMapClashText);
    return kExitUsage;
  }
  if (!ToStdout(opt) && !batch::CheckOutputPath(store.paraFilePath, opt.output).empty()) {
    Say("出力ファイルに変換パラメータファイルが指定されました。別の出力ファイルを指定して下さい。");
    return kExitUsage;
  }
  return std::nullopt;
}

// The zone of the run: the parameter file's, unless given.
Stop ChooseZone(const cli::Options& opt, ModuleState& state) {
  const int fileZone = state.store.zoneNo;
  int zone = fileZone;
  if (opt.zone) {
    zone = *opt.zone;
  } else if (zone < 1 || zone > 19) {
    Say("パラメータファイルの座標系が" + SpacedNumber(fileZone) +
        " 系なので，--zone で座標系 (1～19) を指定して下さい。");
    return kExitUsage;
  }
  if (zone != fileZone) Say("選択された座標系は、変換パラメータの座標系と異なります ");
  state.geo.zone = geo::ParseZoneItem(geo::ZoneItems()[static_cast<std::size_t>(zone - 1)]);
  return std::nullopt;
}

// The input must be a readable regular file before the result file is
// created or emptied; it is read twice (count, then convert), so a pipe
// will not do, and a FIFO would block the open.
Stop OpenFiles(const cli::Options& opt, batch::BatchFiles& files) {
  if (FileProblem problem; !CanReadRegularFile(opt.input, problem)) {
    Say("入力ファイルが開けません。 (" + opt.input + ": " + problem.description + ")");
    return kExitError;
  }
  if (const int sig = cli::PendingInterrupt()) return cli::ExitStatusFor(sig);
  const bool toStdout = ToStdout(opt);
  files.inFilePath = opt.input;
  files.inFileDir = FolderOf(opt.input);
  files.inFileBase = StripExtension(opt.input);
  files.outFilePath = opt.output;
  FileProblem problem;
  files.outFile = toStdout ? stdout : OpenResultForWriting(opt.output, problem);
  if (files.outFile == nullptr) {
    Say("ファイルが開けません。 Error #" + SpacedNumber(problem.number) + "  " +
        problem.description + " (" + opt.output + ")");
    return kExitError;
  }
  files.inFileChosen = files.outFileChosen = true;
  files.reportPath = ReportPath(opt);
  return std::nullopt;
}

// The exit status of a run that has ended, with its closing lines.
int ReportEnd(batch::RunOutcome outcome, bool mapWritten, const batch::RunTotals& totals,
              const cli::Options& opt, cli::MessageLog& log, const cli::ConsoleView& view) {
  switch (outcome) {
    case batch::RunOutcome::kFinished: {
      if (!mapWritten) return kExitError;
      const std::string warning = batch::RunWarningText(totals, opt.format);
      if (warning.empty()) return kExitOk;
      for (std::size_t p = 0, q; p < warning.size(); p = q + 2) {
        q = warning.find("\r\n", p);
        if (q == std::string::npos) q = warning.size();
        log.Print(warning.substr(p, q - p));
      }
      return kExitWarning;
    }
    case batch::RunOutcome::kCancelled:
      log.Print("一括処理は中止しました");
      return cli::ExitStatusFor(view.interruptSignal());
    default:
      return kExitError;
  }
}

// The input's lines, counted on a thread of their own while the parameter
// file loads, so that the run need not read the input a first time itself.
// The counting stops early when the program ends before the run, and at an
// interrupt.
class CountAhead {
 public:
  explicit CountAhead(const std::string& path) {
    try {
      thread_ = std::thread([this, path] {
        try {
          count_ = batch::CountLines(
              path, [this] { return stop_.load() || cli::PendingInterrupt() != 0; }, INT32_MAX);
        } catch (...) {
          error_ = std::current_exception();
        }
      });
    } catch (const std::exception&) {
      // No thread to be had: the run counts the lines itself.
    }
  }
  CountAhead(const CountAhead&) = delete;
  CountAhead& operator=(const CountAhead&) = delete;
  ~CountAhead() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  // The count for the run (BatchContext::countedLines), taken once.
  std::function<long long()> Result() {
    if (!thread_.joinable()) return {};
    return [this] {
      thread_.join();
      if (error_) std::rethrow_exception(error_);
      return count_;
    };
  }

 private:
  std::atomic<bool> stop_{false};
  long long count_ = 0;
  std::exception_ptr error_;
  std::thread thread_;
};

// Converts the open files, writes the picture when asked, and reports the end.
int RunAndReport(const cli::Options& opt, ModuleState& state, CountAhead& counted) {
  cli::MessageLog log(stderr);
  cli::StatusToLog status(log);
  cli::MessagesToLog messages(log);
  cli::ConsoleView view(state.cancelRequested, log, opt.verbose);
  const batch::RunSettings settings{state.store,   opt.mode,  opt.process,
                                    opt.withInput, state.geo, opt.format};
  // --map: the run's points, placed in the run's zone.
  map::RunPoints& points = state.lastRun;
  const geo::Projection projection(state.geo);
  map::RunRecorder recorder(points, opt.process == batch::Process::kBl, &projection);
  batch::RunTotals totals;
  batch::BatchContext ctx{settings, state.files,        state.cancelRequested,
                          view,     {status, messages}, opt.mapFile.empty() ? nullptr : &recorder};
  ctx.totals = &totals;
  ctx.jobs = opt.jobs;
  ctx.countedLines = counted.Result();
  const batch::RunOutcome outcome = batch::RunFile(ctx);
  bool mapWritten = true;
  if (!opt.mapFile.empty()) {
    points.inputName = FileNameOf(opt.input);
    points.finished = outcome == batch::RunOutcome::kFinished;
    mapWritten =
        WriteMap(opt.mapFile, map::MapSvg(map::GridModel::Build(state.store), &points, nullptr));
  }
  view.ClearBar();
  log.SetLine(0);
  log.Summary();
  return ReportEnd(outcome, mapWritten, totals, opt, log, view);
}

int Main(int argc, char** argv) {
  cli::Options opt;
  if (Stop stop = ReadCommandLine(argc, argv, opt)) return *stop;
  if (Stop stop = RefuseInputAsResult(opt)) return *stop;
  cli::HoldInterrupts();
  CountAhead counted(opt.input);
  ModuleState state;  // the same module state as the program, without windows
  if (Stop stop = LoadParameters(opt, state)) return *stop;
  if (Stop stop = RefuseParametersAsResult(opt, state.store)) return *stop;
  if (Stop stop = ChooseZone(opt, state)) return *stop;
  if (Stop stop = OpenFiles(opt, state.files)) return *stop;
  return RunAndReport(opt, state, counted);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    Say(e.what());
    return kExitError;
  }
}
