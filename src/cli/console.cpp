#include "cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "text/quote.h"

namespace varno::cli {

namespace {

// The closing sentence of every successful point transformation message.
constexpr std::string_view kDirectionText = "震災前成果から震災後成果へ（→右方向に）変換しました。";

}  // namespace

std::string OneLine(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    char c = text[k];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
      s += " / ";
    } else {
      s += c;
    }
  }
  return EscapeControls(s);
}

void MessageLog::Print(std::string_view text) {
  if (beforePrint_) beforePrint_();
  std::fprintf(out_, "varno-batch: %s\n", OneLine(text).c_str());
  std::fflush(out_);
}

void MessageLog::Add(std::string_view text) {
  std::string key(text);
  auto it = entries_.find(key);
  if (it != entries_.end()) {
    ++it->second.count;
    return;
  }
  if (entries_.size() >= kMaxDistinct) {
    ++suppressed_;
    return;
  }
  Entry e;
  e.count = 1;
  e.firstLine = line_;
  e.order = entries_.size();
  entries_.emplace(key, e);
  if (line_ > 0) {
    Print("行 " + std::to_string(line_) + ": " + key);
  } else {
    Print(key);
  }
}

void MessageLog::Summary() {
  std::vector<std::pair<std::size_t, const std::pair<const std::string, Entry>*>> repeated;
  for (const auto& kv : entries_)
    if (kv.second.count > 1) repeated.emplace_back(kv.second.order, &kv);
  std::sort(repeated.begin(), repeated.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& r : repeated) {
    Print("(" + std::to_string(r.second->second.count) + " 回, 最初は行 " +
          std::to_string(r.second->second.firstLine) + ") " + r.second->first);
  }
  if (suppressed_ > 0)
    Print("ほかに " + std::to_string(suppressed_) + " 件のメッセージを省略しました。");
}

void StatusToLog::SetStatusText(std::string_view text) {
  if (text.size() >= kDirectionText.size() &&
      text.substr(text.size() - kDirectionText.size()) == kDirectionText)
    return;
  log_.Add(text);
}

ConsoleView::ConsoleView(bool& cancelRequested, MessageLog& log, bool verbose)
    : cancel_(cancelRequested), log_(log), verbose_(verbose), tty_(::isatty(STDERR_FILENO) == 1) {
  log_.SetBeforePrint([this] { ClearBar(); });
}

void ConsoleView::SetDialogStatus(const std::string& text, Rgb color) {
  // The closing line count is news only on request; the stopped status
  // repeats the message already printed. An overflow names its line, like
  // every other message of a line.
  if ((color == colors::kLightCyan && !verbose_) || color == colors::kDarkRed) return;
  if (color == colors::kGreen && line_ > 0) {
    log_.Print("行 " + std::to_string(line_) + ": " + text);
    return;
  }
  log_.Print(text);
}

void ConsoleView::Yield() {
  // Asking for a pending signal is a system call, and a fast run yields every
  // few microseconds: once a millisecond is soon enough to stop it.
  const auto now = std::chrono::steady_clock::now();
  if (now - lastAsked_ >= std::chrono::milliseconds(1)) {
    lastAsked_ = now;
    if (const int sig = PendingInterrupt()) {
      cancel_ = true;
      if (signal_ == 0) signal_ = sig;
    }
  }
  if (tty_) DrawBar(now);
}

bool ConsoleView::CancelWhileCounting() {
  const int sig = PendingInterrupt();
  if (sig != 0 && signal_ == 0) signal_ = sig;
  return sig != 0;
}

void ConsoleView::DrawBar(std::chrono::steady_clock::time_point now) {
  if (barShown_ && now - lastDraw_ < std::chrono::milliseconds(100) && value_ < max_) return;
  lastDraw_ = now;
  const int width = 40;
  const double frac = max_ > 0 ? static_cast<double>(value_) / static_cast<double>(max_) : 1.0;
  int filled = static_cast<int>(frac * width);
  if (filled > width) filled = width;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(width - filled), '.');
  std::fprintf(stderr, "\r[%s] %5.1f%% %ld/%ld", bar.c_str(), frac * 100.0, value_, max_);
  std::fflush(stderr);
  barShown_ = true;
}

void ConsoleView::ClearBar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", stderr);
  barShown_ = false;
}

void ConsoleLoadView::Yield() {
  // Nothing is written yet: an interrupt during loading just ends the program.
  if (const int sig = PendingInterrupt()) std::_Exit(ExitStatusFor(sig));
}

void HoldInterrupts() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

int PendingInterrupt() {
  sigset_t pending;
  sigemptyset(&pending);
  if (sigpending(&pending) != 0) return 0;
  if (sigismember(&pending, SIGINT) == 1) return SIGINT;
  if (sigismember(&pending, SIGTERM) == 1) return SIGTERM;
  return 0;
}

int ExitStatusFor(int signal) {
  return 128 + (signal != 0 ? signal : SIGINT);
}

}  // namespace varno::cli
