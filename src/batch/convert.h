// The two file converters, Bl_File and XY_File: the run driver around the
// line converter.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "batch/layout.h"
#include "batch/line_converter.h"
#include "batch/lines.h"
#include "text/report.h"

namespace varno::batch {

// The batch dialog as a run sees it: progress, status and the yield. The
// choices of the run are not asked here; they come in RunSettings.
class BatchView {
 public:
  virtual ~BatchView() = default;
  virtual void ShowBreak(bool visible) = 0;                  // cmdBreak
  virtual void SetLineText(const std::string& text) = 0;     // lblLine
  virtual void SetPercentText(const std::string& text) = 0;  // lblPercent
  virtual void SetProgressMax(long max) = 0;                 // ProgressBar1
  virtual void SetProgress(long value) = 0;
  virtual void SetDialogStatus(const std::string& text, Rgb color) = 0;  // frmFile.lblStatus
  virtual void EnableStart(bool enabled) = 0;                            // cmdStart
  virtual void SetBusy(bool busy) = 0;                                   // hourglass pointer
  // Asked when a run has finished: chkDispFile, which stays free during a run.
  virtual bool ShowResultFile() = 0;
  // Opens the result viewer on the result file (OpenOutFileView).
  virtual void OpenOutFileView(const std::string& path) = 0;
  // Lets the window system run pending events (after each progress update).
  virtual void Yield() = 0;
  // Called before each input line is handled, with its 1-based number, so that
  // a headless caller can say where a message came from.
  virtual void LineStarted(long /*lineNumber*/) {}
  // Asked after every block of the line count (before any progress is
  // shown); true stops the run as a cancel.
  virtual bool CancelWhileCounting() { return false; }
};

// Told of every line of a run, in input order, after its messages have been
// shown (a picture of the run, a report). Not told of a line that stops the
// run. The result, and the name it views, are valid during the call only.
class LineObserver {
 public:
  virtual ~LineObserver() = default;
  // The number of input lines, once counted and before the first OnLine: a
  // hint for the room the lines will take.
  virtual void OnLineCount(long long /*lines*/) {}
  virtual void OnLine(const LineResult& line) = 0;
};

// The batch file state of the module.
struct BatchFiles {
  std::string inFilePath, inFileDir, inFileBase, outFilePath;  // UTF-8 paths
  std::FILE* outFile = nullptr;                                // open and empty once chosen
  // The run report of a SIMA run; empty: beside the result file
  // (sima::ReportPathFor).
  std::string reportPath;
  bool inFileChosen = false;
  bool outFileChosen = false;
};

// Everything a run reads and writes.
struct BatchContext {
  const RunSettings& settings;  // read once, when the run starts
  BatchFiles& files;
  bool& cancelRequested;
  BatchView& view;
  Reporter report;                   // main window status and message boxes
  LineObserver* observer = nullptr;  // optional
  RunTotals* totals = nullptr;       // optional: filled when the run finishes
  // Threads converting lines: 1 converts them one by one on the calling
  // thread; more convert batches of lines ahead while the calling thread
  // writes them, shows their messages and progress and tests the cancel in
  // input order, so that everything observable is as with 1; 0 is one per core.
  int jobs = 1;
  // The input's lines counted before the run (for instance while the
  // parameter file was read), in place of the run's own counting pass: what
  // CountLines gives for the input with the limit INT32_MAX, -1 when that
  // counting was cancelled, or the exception it threw. Empty: the run counts.
  std::function<long long()> countedLines = {};
};

enum class RunOutcome { kFinished, kCancelled, kOverflowError, kOtherError };

// The run driver: reads the input, converts each line with a LineConverter,
// writes the result, counts, shows the progress every 100 lines (every line
// for files up to 1000 lines), stops at a cancel there, and shows each line's
// messages in input order. The result file is closed at the end of every run.
// A SIMA run writes no header, and writes its run report as it goes.
RunOutcome Bl_File(BatchContext& ctx);
RunOutcome XY_File(BatchContext& ctx);
// Bl_File for Process::kBl, XY_File otherwise.
RunOutcome RunFile(BatchContext& ctx);

// Refuses an output path that names the input file (the result file is
// emptied when chosen): the same path, or the same file reached another way.
// Returns the message to show (UTF-8), or empty when allowed.
std::string CheckOutputPath(const std::string& inFilePath, const std::string& outFilePath);

// The texts a run shows (UTF-8).
std::string LineCountText(long long n);              // lblLine
std::string ProgressText(long long i, long long n);  // lblPercent
std::string FinishedText(long long i);               // dialog status at the end
std::string StoppedText(long long line);  // dialog status after an error (0: before any line)
// Added to a write failure's description: the result lines the file holds and
// the input line whose result could not be written.
std::string WriteFailureText(long long resultLines, long long failedLine);
std::string OverflowMessage(Converter c);                                    // dialog status, green
std::string OtherErrorMessage(Converter c, const std::string& description);  // message box

}  // namespace varno::batch
