#include "batch/convert.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

#include "batch/io.h"
#include "batch/parallel.h"
#include "batch/sima.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/format.h"
#include "text/paths.h"
#include "text/quote.h"
#include "text/version.h"

namespace varno::batch {

namespace {

// Files of more than this many lines show their progress every 100th line.
constexpr long long kEveryLineLimit = 1000;
constexpr long long kProgressStep = 100;

std::string SameFileMessage() {
  return "出力ファイルに入力ファイルと同じファイルが選択されました。入力ファイルが失われないよう，"
         "別の出力ファイルを選択して下さい。";
}

// A file's name as a header shows it (CP932): a control character in it (a
// line break, most of all) is shown as "?", so that the header keeps its
// lines.
std::string HeaderName(const std::string& path) {
  std::string name = ToCp932Lenient(FileNameOf(path));
  ControlsAsQuestionMarks(name);
  return name;
}

// Whether `path` names the file that `f` has open.
bool IsOpenFile(const std::string& path, std::FILE* f) {
  if (f == nullptr) return false;
  struct stat named {
  }, open{};
  if (::stat(path.c_str(), &named) != 0 || ::fstat(fileno(f), &open) != 0) return false;
  return named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// The result file opened by the dialog must not be the input file itself
// (it was emptied when opened, and reading while writing it would not end).
// Without a result file the run stops when the header is written.
void RefuseSameFile(const std::string& inPath, std::FILE* out) {
  if (IsOpenFile(inPath, out)) throw FileError(kErrPathAccess, SameFileMessage());
}

// The dialog opens the result file when it is chosen. Deleted or replaced
// since, the run would write into a file no name leads to, and end as if all
// were well.
void RefuseLostResult(const BatchFiles& files) {
  if (files.outFile == nullptr || files.outFile == stdout) return;
  if (IsOpenFile(files.outFilePath, files.outFile)) return;
  throw FileError(kErrPathAccess, "出力ファイル " + EscapeControls(files.outFilePath) +
                                      " は選択の後に削除されたか置き換えられました。"
                                      "出力ファイルを選択し直して下さい。");
}

// What a run counts beyond its lines, and the report of a SIMA run, written
// as the lines come (in input order).
class Tally : public LineObserver {
 public:
  explicit Tally(const BatchContext& ctx) : ctx_(ctx) {}
  ~Tally() override { Abandon(); }

  // Opens the report of a SIMA run and writes its header.
  void Begin();
  void OnLine(const LineResult& line) override;
  // Writes the report's summary and closes it; hands the totals over.
  void Finish(long long lines);
  // Closes the report with what it holds (a cancel, an error).
  void Abandon() noexcept;

 private:
  // Writes the report's buffer when it is full, or (`all`) whatever it holds,
  // and closes the report after it. A failure names the report, not the
  // result file, whose lines it does not count.
  void WriteReport(bool all, bool close = false);

  const BatchContext& ctx_;
  RunTotals totals_;
  sima::ReportCounts counts_;
  std::FILE* report_ = nullptr;
  std::optional<ResultWriter> writer_;
};

void Tally::Begin() {
  if (ctx_.settings.format != InputFormat::kSima) return;
  const BatchFiles& files = ctx_.files;
  totals_.reportPath =
      files.reportPath.empty() ? sima::ReportPathFor(files.outFilePath) : files.reportPath;
  const std::string& path = totals_.reportPath;
  // Creating the report empties the file of that name: never the input or the
  // parameter file.
  if (!CheckOutputPath(files.inFilePath, path).empty() ||
      !CheckOutputPath(ctx_.settings.store.paraFilePath, path).empty())
    throw FileError(kErrPathAccess, "報告ファイル " + EscapeControls(path) +
                                        " が入力ファイルまたは変換パラメータファイルと同じです。");
  // Nor the result file (a link by the report's name): both would write into
  // it at once.
  if (IsOpenFile(path, files.outFile))
    throw FileError(kErrPathAccess,
                    "報告ファイル " + EscapeControls(path) + " が結果ファイルと同じです。");
  // Opened as the result file is: a FIFO or a device by that name is refused,
  // not waited on or written to.
  FileProblem problem;
  report_ = OpenResultForWriting(path, problem);
  if (report_ == nullptr)
    throw FileError(problem.number, "報告ファイル " + EscapeControls(path) + " が作れません。" +
                                        problem.description);
  writer_.emplace(report_);
  writer_->DoNotCountLines();  // a failure names the report, not a line of it
  sima::ReportHeader h;
  h.inFileName = HeaderName(files.inFilePath);
  h.outFileName = HeaderName(files.outFilePath);
  h.paraFileName = HeaderName(ctx_.settings.store.paraFilePath);
  h.paraVersion = ctx_.settings.store.version;
  h.zoneNo = ctx_.settings.geo.zone.zoneNo;
  h.mode = static_cast<int>(ctx_.settings.mode);
  sima::AppendReportHeader(h, writer_->buffer());
}

void Tally::OnLine(const LineResult& line) {
  if (line.outcome == LineOutcome::kCopied) return;
  ++totals_.points;
  if (!writer_) return;
  writer_->buffer().append(line.report);
  ++counts_.points;
  if (line.outcome == LineOutcome::kGrid) ++counts_.grid;
  if (line.outcome == LineOutcome::kRep) ++counts_.rep;
  if (line.outcome == LineOutcome::kNotConverted) {
    ++counts_.notConverted;
    if (totals_.firstNotConverted.size() < RunTotals::kListed)
      totals_.firstNotConverted.push_back(line.notConverted);
  }
  WriteReport(false);
}

void Tally::WriteReport(bool all, bool close) {
  auto fail = [this](int err) {
    const FileProblem problem = DescribeFileError(err);
    throw FileError(problem.number, "報告ファイル " + EscapeControls(totals_.reportPath) +
                                        " に書き込めません。" + problem.description);
  };
  try {
    if (all) {
      writer_->Flush();
    } else {
      writer_->MaybeFlush();
    }
  } catch (const WriteError& e) {
    fail(e.err());
  }
  if (close) {
    writer_.reset();
    std::FILE* f = report_;
    report_ = nullptr;
    errno = 0;
    if (std::fclose(f) != 0) fail(errno != 0 ? errno : EIO);
  }
}

void Tally::Finish(long long lines) {
  totals_.lines = lines;
  totals_.notConverted = counts_.notConverted;
  if (writer_) {
    sima::AppendReportSummary(counts_, writer_->buffer());
    WriteReport(true, true);
  }
  if (ctx_.totals != nullptr) *ctx_.totals = std::move(totals_);
}

void Tally::Abandon() noexcept {
  if (!writer_) return;
  try {
    writer_->Flush();
  } catch (const std::exception&) {
  }
  writer_.reset();
  try {
    CloseResultFile(report_);
  } catch (const std::exception&) {
  }
}

// One run of Bl_File or XY_File.
class Run {
 public:
  Run(BatchContext& ctx, Converter c) : ctx_(ctx), conv_(c) {}

  RunOutcome Execute();

 private:
  // Where a run that stops on an error stands.
  struct Stopped {
    std::optional<LineReader>& in;
    ResultWriter& writer;
    Tally& tally;
    std::size_t lineStart;  // where the half-built line begins in the writer's buffer
    int32_t lines;          // input lines handled in full
    long long headerLines;  // lines of the result file's header
    long long count;        // lines of the input; 0 until counted
  };

  void WriteHeader(std::string& out);
  void ResetAfterRun();
  RunOutcome Cancel(std::optional<LineReader>& in);
  RunOutcome Finish(std::optional<LineReader>& in, ResultWriter& writer, Tally& tally,
                    int32_t lines, int32_t n, long progressMax);
  RunOutcome StopOnError(const std::exception& e, Stopped s);

  BatchContext& ctx_;
  Converter conv_;
};

void Run::WriteHeader(std::string& out) {
  const RunSettings& set = ctx_.settings;
  const params::ParamStore& st = set.store;
  HeaderFields h;
  h.outFileName = HeaderName(ctx_.files.outFilePath);
  h.paraFileName = HeaderName(st.paraFilePath);
  h.paraVersion = st.version;
  h.rangeText = st.rangeText;
  h.methodText = st.methodText;
  h.paraZoneNo = st.zoneNo;
  h.inFileName = HeaderName(ctx_.files.inFilePath);
  const bool angles = conv_ == Converter::kXy && set.process == Process::kXyBl;
  // A SIMA result is a SIMA file: records only.
  if (set.format == InputFormat::kSima) return;
  AppendHeader(conv_, set.withInputValues, angles, h, out);
}

// A cancel stops the run at a line boundary: what is written stays, the
// result file is closed.
RunOutcome Run::Cancel(std::optional<LineReader>& in) {
  in.reset();
  CloseResultFile(ctx_.files.outFile);
  ctx_.view.SetBusy(false);
  ctx_.cancelRequested = false;
  ResetAfterRun();
  return RunOutcome::kCancelled;
}

void Run::ResetAfterRun() {
  ctx_.view.ShowBreak(false);
  ctx_.files.inFileChosen = false;
  ctx_.files.outFileChosen = false;
  ctx_.view.EnableStart(false);
}

RunOutcome Run::Execute() {
  BatchView& view = ctx_.view;
  BatchFiles& files = ctx_.files;
  view.ShowBreak(true);
  std::optional<LineReader> in;
  ResultWriter writer(files.outFile);
  std::string& buf = writer.buffer();
  std::size_t lineStart = 0;  // where the line being built begins in buf
  int32_t i = 0;
  long long headerLines = 0;
  long long count = 0;  // lines of the input; 0 until counted
  Tally tally(ctx_);    // closes the report on every way out
  try {
    RefuseSameFile(files.inFilePath, files.outFile);
    RefuseLostResult(files);
    if (ctx_.countedLines) {
      count = ctx_.countedLines();
      // A cancel meanwhile acts as one during the run's own count.
      if (view.CancelWhileCounting() || ctx_.cancelRequested) count = -1;
    } else {
      // The count asks after every block whether to stop, so that a cancel
      // acts in this pass too (a large file takes seconds to count).
      count = CountLines(
          files.inFilePath, [&] { return view.CancelWhileCounting() || ctx_.cancelRequested; },
          INT32_MAX);
    }
    if (count < 0) {
      WriteHeader(buf);
      writer.Flush();
      return Cancel(in);
    }
    if (count > INT32_MAX) throw OverflowError("Long");
    const int32_t n = static_cast<int32_t>(count);
    view.SetLineText(LineCountText(n));
    if (ctx_.observer != nullptr) ctx_.observer->OnLineCount(count);
    in.emplace(files.inFilePath);
    tally.Begin();
    WriteHeader(buf);
    writer.Flush();
    headerLines = writer.lines();
    lineStart = buf.size();
    const LineConverter converter(ctx_.settings, conv_);
    LineResult result;
    // With more than one thread the lines are converted ahead in batches and
    // taken here in input order; the rest of the loop is the same.
    std::optional<ParallelLines> parallel;
    if (const unsigned threads = ConversionThreads(ctx_.jobs); threads > 1) {
      try {
        parallel.emplace(converter, *in, threads, 1);
      } catch (const std::exception&) {
        // No thread to be had: the lines are converted here.
      }
    }
    // An empty file gets a one-step scale, filled at the end.
    const long progressMax = n > 0 ? n : 1;
    view.SetProgressMax(progressMax);
    view.SetPercentText("処理中...");

    std::string_view line;
    for (;;) {
      if (parallel ? parallel->AtEnd() : in->AtEnd()) break;
      if (ctx_.cancelRequested) {
        parallel.reset();
        writer.Flush();
        tally.Abandon();
        return Cancel(in);
      }
      const LineResult* converted = &result;
      if (parallel) {
        parallel->Next(line, converted);
      } else {
        in->Next(line);
      }
      const long number = static_cast<long>(i) + 1;
      view.LineStarted(number);
      lineStart = buf.size();
      if (parallel) {
        buf.append(line);  // the line's result, converted ahead
      } else {
        converter.Convert(line, number, buf, result);
      }
      const LineResult& r = *converted;
      if (!r.messages.empty()) r.messages.ReplayTo(ctx_.report);
      if (r.error) std::rethrow_exception(r.error);
      tally.OnLine(r);
      if (ctx_.observer != nullptr) ctx_.observer->OnLine(r);
      lineStart = buf.size();
      writer.MaybeFlush();
      lineStart = buf.size();
      i = AddInt32(i, 1);
      if (n > kEveryLineLimit && i % kProgressStep != 0) continue;
      view.SetProgress(i);
      view.SetPercentText(ProgressText(i, n));
      view.Yield();
    }

    return Finish(in, writer, tally, i, n, progressMax);
  } catch (const std::exception& e) {
    return StopOnError(e, {in, writer, tally, lineStart, i, headerLines, count});
  }
}

// The end of a run that handled every line: the files closed, the report
// finished, the dialog's last progress and status.
RunOutcome Run::Finish(std::optional<LineReader>& in, ResultWriter& writer, Tally& tally,
                       int32_t lines, int32_t n, long progressMax) {
  BatchView& view = ctx_.view;
  writer.Flush();
  in.reset();
  CloseResultFile(ctx_.files.outFile);
  tally.Finish(lines);
  view.SetProgress(progressMax);
  view.SetPercentText(ProgressText(lines, n));
  view.SetDialogStatus(FinishedText(lines), colors::kLightCyan);
  ResetAfterRun();
  if (view.ShowResultFile()) view.OpenOutFileView(ctx_.files.outFilePath);
  return RunOutcome::kFinished;
}

// A run stopped by an error keeps every complete line written before it,
// closes its files and says why and where it stopped.
RunOutcome Run::StopOnError(const std::exception& e, Stopped s) {
  BatchView& view = ctx_.view;
  std::string& buf = s.writer.buffer();
  RunOutcome outcome = RunOutcome::kOtherError;
  std::string description = e.what();
  long long stoppedAt = static_cast<long long>(s.lines) + 1;  // the line being handled
  if (const auto* we = dynamic_cast<const WriteError*>(&e)) {
    // The file was cut back to whole lines: say how many results it holds
    // and at which input line writing stopped.
    const long long results = std::max(0LL, we->linesInFile() - s.headerLines);
    stoppedAt = results + 1;
    description += WriteFailureText(results, stoppedAt);
    view.LineStarted(static_cast<long>(stoppedAt));
  } else if (const auto* ve = dynamic_cast<const VarnoError*>(&e)) {
    if (ve->IsOverflow()) outcome = RunOutcome::kOverflowError;
  } else if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
    description = "メモリが不足しています。";
  }
  // Keep every complete line written before the error; a half-built line is
  // dropped. A failing write here cannot be reported better than the error.
  if (s.lineStart <= buf.size()) buf.resize(s.lineStart);
  try {
    s.writer.Flush();
  } catch (const std::exception&) {
  }
  s.in.reset();
  try {
    CloseResultFile(ctx_.files.outFile);
  } catch (const std::exception&) {
  }
  s.tally.Abandon();
  if (outcome == RunOutcome::kOverflowError) {
    view.SetDialogStatus(OverflowMessage(conv_), colors::kGreen);
  } else {
    ctx_.report.messages.Show(OtherErrorMessage(conv_, description), kProgramTitle,
                              MessageIcon::kCritical);
    // The run no longer goes on: the status must not say it does.
    view.SetDialogStatus(StoppedText(s.count > 0 ? stoppedAt : 0), colors::kDarkRed);
  }
  ResetAfterRun();
  return outcome;
}

const NumberPattern& PercentPattern() {
  static const NumberPattern pattern("#0.0");
  return pattern;
}

}  // namespace

std::string LineCountText(long long n) {
  return "全" + SpacedNumber(n) + "行";
}

std::string ProgressText(long long i, long long n) {
  // An empty file is complete from the start.
  const double percent = n > 0 ? static_cast<double>(i) * 100.0 / static_cast<double>(n) : 100.0;
  return "処理状況 " + PercentPattern().Format(percent) + "% " + SpacedNumber(i) + "行";
}

std::string FinishedText(long long i) {
  return "ファイル一括計算処理が終了しました。\u3000" + SpacedNumber(i) + "行を処理しました。";
}

std::string StoppedText(long long line) {
  if (line <= 0) return "ファイル一括計算処理はエラーのため中止しました。";
  return "ファイル一括計算処理は" + SpacedNumber(line) + "行目でエラーのため中止しました。";
}

std::string WriteFailureText(long long resultLines, long long failedLine) {
  return "結果ファイルには" + SpacedNumber(resultLines) + "行の結果があります（入力の" +
         SpacedNumber(failedLine) + "行目で書き込めませんでした）。";
}

std::string OverflowMessage(Converter c) {
  return std::string("入力されたデータに問題があります。計算は中断しました。 in ") +
         (c == Converter::kBl ? "Bl_File" : "XY_File");
}

std::string OtherErrorMessage(Converter c, const std::string& description) {
  return std::string("入力されたデータに問題があると思われます。計算は中断しました。 in ") +
         (c == Converter::kBl ? "Bl_File" : "XY_File") + description;
}

RunOutcome Bl_File(BatchContext& ctx) {
  return Run(ctx, Converter::kBl).Execute();
}

RunOutcome XY_File(BatchContext& ctx) {
  return Run(ctx, Converter::kXy).Execute();
}

RunOutcome RunFile(BatchContext& ctx) {
  return ctx.settings.process == Process::kBl ? Bl_File(ctx) : XY_File(ctx);
}

std::string CheckOutputPath(const std::string& inFilePath, const std::string& outFilePath) {
  namespace fs = std::filesystem;
  if (inFilePath.empty() || outFilePath.empty()) return {};
  std::error_code ec;
  const fs::path in(inFilePath), out(outFilePath);
  if (fs::exists(in, ec) && fs::exists(out, ec)) {
    if (fs::equivalent(in, out, ec) && !ec) return SameFileMessage();
    return {};
  }
  const fs::path a = fs::weakly_canonical(fs::absolute(in, ec), ec);
  std::error_code ec2;
  const fs::path b = fs::weakly_canonical(fs::absolute(out, ec2), ec2);
  if (!ec && !ec2 && a == b) return SameFileMessage();
  if (in.lexically_normal() == out.lexically_normal()) return SameFileMessage();
  return {};
}

}  // namespace varno::batch
