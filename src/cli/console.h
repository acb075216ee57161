// What varno-batch shows instead of windows: messages on standard error
// (repeats counted, not repeated) and a progress bar on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "batch/convert.h"
#include "params/reader.h"
#include "text/report.h"

namespace varno::cli {

// Prints each distinct message once, with the line it first came from; the
// counts of repeated ones are printed by Summary().
class MessageLog {
 public:
  explicit MessageLog(std::FILE* out) : out_(out) {}
  void Add(std::string_view text);
  void Summary();
  void SetLine(long line) { line_ = line; }
  // Called before anything is printed, so that a progress bar can be cleared.
  void SetBeforePrint(std::function<void()> f) { beforePrint_ = std::move(f); }
  void Print(std::string_view text);  // always printed

 private:
  struct Entry {
    long count = 0;
    long firstLine = 0;
    std::size_t order = 0;
  };
  static constexpr std::size_t kMaxDistinct = 1000;
  std::FILE* out_;
  std::map<std::string, Entry> entries_;
  long suppressed_ = 0;  // messages beyond kMaxDistinct distinct texts
  long line_ = 0;
  std::function<void()> beforePrint_;
};

// The main window's status: range-test and computation messages are logged;
// the success messages of the point transformation are not.
class StatusToLog : public StatusSink {
 public:
  explicit StatusToLog(MessageLog& log) : log_(log) {}
  void SetStatusText(std::string_view text) override;
  void SetStatusColor(Rgb) override {}

 private:
  MessageLog& log_;
};

class MessagesToLog : public MessageService {
 public:
  explicit MessagesToLog(MessageLog& log) : log_(log) {}
  void Show(std::string_view text, std::string_view, MessageIcon) override { log_.Add(text); }
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }

 private:
  MessageLog& log_;
};

// The batch dialog's progress on a terminal. Ctrl-C is polled at each progress
// update, where the dialog would let its cancel button be clicked.
class ConsoleView : public batch::BatchView {
 public:
  ConsoleView(bool& cancelRequested, MessageLog& log, bool verbose);
  void ShowBreak(bool) override {}
  void SetLineText(const std::string&) override {}
  void SetPercentText(const std::string&) override {}
  void SetProgressMax(long max) override { max_ = max; }
  void SetProgress(long value) override { value_ = value; }
  void SetDialogStatus(const std::string& text, Rgb color) override;
  void EnableStart(bool) override {}
  void SetBusy(bool) override {}
  bool ShowResultFile() override { return false; }
  void OpenOutFileView(const std::string&) override {}
  void Yield() override;
  bool CancelWhileCounting() override;
  void LineStarted(long lineNumber) override {
    line_ = lineNumber;
    log_.SetLine(lineNumber);
  }
  void ClearBar();
  // The signal (SIGINT, SIGTERM) that cancelled the run; 0 when none did.
  int interruptSignal() const { return signal_; }

 private:
  void DrawBar(std::chrono::steady_clock::time_point now);
  bool& cancel_;
  MessageLog& log_;
  bool verbose_;
  bool tty_;
  bool barShown_ = false;
  long max_ = 0, value_ = 0;
  long line_ = 0;
  int signal_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::chrono::steady_clock::time_point lastAsked_{};  // the last look for a signal
};

// The loading window, silent except for failures (and the summary with -v).
class ConsoleLoadView : public params::LoadView {
 public:
  void SetStatusText(const std::string& text) override { text_ = text; }
  void SetStatusColor(Rgb color) override {
    if (color == colors::kLightRed) failed_ = true;
  }
  void SetProgressMax(double) override {}
  void SetProgress(long) override {}
  void SetSizeText(const std::string&) override {}
  void ShowBreak(bool) override {}
  void SetBusy(bool) override {}
  void Yield() override;
  bool failed() const { return failed_; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  bool failed_ = false;
};

// SIGINT and SIGTERM are held back while a run is in progress and polled at
// yield points, so that a run stops at a line boundary like a cancel click.
void HoldInterrupts();
// The pending one of them (SIGINT first), or 0.
int PendingInterrupt();
// The exit status of a run ended by `signal`: 128 + its number (130, 143).
int ExitStatusFor(int signal);

// A status text on one console line: CR LF and CR become " / ", and every
// other control character is escaped, so that no byte from a file can steer
// the terminal.
std::string OneLine(std::string_view text);

}  // namespace varno::cli
