// Converting on several threads against converting line by line: random
// mixed files through every process, mode, column choice and input format
// (text, CSV, SIMA), with errors at
// random lines and cancels at random progress points, must give the same
// result bytes, outcome, messages, progress, line numbers and observed lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "batch/parallel.h"
#include "batch_test_util.h"

namespace varno::batch {
namespace {

using testing::FreshDir;
using testing::Harness;
using testing::WriteBytes;

// What the observer hears of each line.
struct ObservedLines : LineObserver {
  std::vector<std::string> seen;
  void OnLine(const LineResult& r) override {
    const LinePoint& p = r.point;
    seen.push_back(std::to_string(p.lineNumber) + "|" +
                   std::to_string(static_cast<int>(r.outcome)) + "|" + std::string(p.name) + "|" +
                   std::to_string(p.x2) + "|" + std::to_string(p.y2) + "|" +
                   std::to_string(r.messages.size()));
  }
};

// Everything a run shows, writes and reports.
struct Observed {
  RunOutcome outcome{};
  std::string result;
  std::vector<long> progress;
  std::vector<std::string> percent, statusTexts, boxes, lines;
  std::vector<std::pair<std::string, Rgb>> dialogStatus;
  std::vector<Rgb> statusColors;
  int yields = 0;
  long lastLine = 0;
  bool cancelAfter = false;

  bool operator==(const Observed&) const = default;
};

struct Choice {
  Process process;
  params::ConversionMode mode;
  bool withInput;
  InputFormat format = InputFormat::kText;
};

Observed RunOnce(const std::filesystem::path& dir, const Choice& c, int jobs, int cancelAtYield) {
  Harness h(dir);
  h.process = c.process;
  h.mode = c.mode;
  h.withInput = c.withInput;
  h.format = c.format;
  h.jobs = jobs;
  ObservedLines observer;
  h.observer = &observer;
  h.view.onYield = [&](testing::ViewRecorder& v) {
    if (v.yields == cancelAtYield) h.cancel = true;
  };
  h.Choose(dir / "in.txt");
  Observed o;
  o.outcome = h.Run(c.process == Process::kBl);
  o.result = h.Result();
  o.progress = h.view.progress;
  o.percent = h.view.percentTexts;
  o.dialogStatus = h.view.dialogStatus;
  o.statusTexts = h.status.texts;
  o.statusColors = h.status.colors;
  for (const auto& b : h.messages.boxes) o.boxes.push_back(b.text + "|" + b.title);
  o.lines = observer.seen;
  o.yields = h.view.yields;
  o.lastLine = h.view.lastLine;
  o.cancelAfter = h.cancel;
  return o;
}

// A random input: points inside and outside the grid and the zone, points
// whose inverse fails, copied lines of every kind, names with CP932 bytes
// (a trail byte 0x5C among them), CR LF, LF and CR line ends; and, in some
// files, one line that stops the run (no height, or a number too large).
std::string RandomInput(std::mt19937& rng, bool bl, int lines, bool withError, InputFormat format) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* copied[] = {"",      "# comment \x95\x5c", " #x", "word", "1", "   ", "1\t2 3",
                          "a 1 2", "\x83\x5c 1 2"};
  const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
  const int errorAt = withError ? pick(lines) : -1;
  std::string s;
  for (int i = 0; i < lines; ++i) {
    std::string line;
    if (i == errorAt) {
      line = pick(2) ? "1000.5 2000.25" : "1000 " + std::string(400, '9') + " 3";
    } else if (pick(4) == 0) {
      line = copied[pick(static_cast<int>(std::size(copied)))];
    } else if (bl) {
      // Around the origin of zone 9 (36°, 139°50′); now and then out of the zone.
      const int lat = pick(20) == 0 ? 460000 + pick(5000) : 355800 + pick(400);
      line = std::to_string(lat) + "." + std::to_string(pick(100000)) + " " +
             std::to_string(1394900 + pick(200)) + "." + std::to_string(pick(1000)) + " " +
             std::to_string(pick(1000)) + ".5";
    } else if (pick(50) == 0) {
      line = "1" + std::string(300, '0') + " 1" + std::string(300, '0') + " 0";
    } else {
      line = std::to_string(pick(30000) - 15000) + "." + std::to_string(pick(10000)) + "  " +
             std::to_string(pick(30000) - 15000) + ".25 " + std::to_string(pick(100));
    }
    if (pick(3) == 0) line += " P" + std::to_string(i) + (pick(2) ? " \x95\x5c " : "");
    if (format != InputFormat::kText) {
      // The same fields joined by commas; SIMA points as A01 records among
      // the file's other records.
      std::string joined;
      for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] != ' ') {
          joined += line[k];
        } else if (k + 1 < line.size() && line[k + 1] != ' ') {
          joined += ',';
        }
      }
      line = joined;
      if (format == InputFormat::kSima && pick(5) != 0)
        line = (pick(8) == 0 ? "G00,01," : "A01," + std::to_string(i) + ",P,") + line;
    }
    s += line + ends[pick(static_cast<int>(std::size(ends)))];
  }
  return s;
}

TEST(Parallel, SameAsLineByLine) {
  std::mt19937 rng(15);
  const Choice choices[] = {
      {Process::kBl, params::ConversionMode::kGridOnly, true},
      {Process::kBl, params::ConversionMode::kGridThenRep, false},
      {Process::kXy, params::ConversionMode::kGridOnly, false},
      {Process::kXy, params::ConversionMode::kGridThenRep, true},
      {Process::kXyBl, params::ConversionMode::kRepOnly, false},
      {Process::kXyBl, params::ConversionMode::kGridOnly, true},
      {Process::kXy, params::ConversionMode::kGridOnly, true, InputFormat::kCsv},
      {Process::kBl, params::ConversionMode::kGridThenRep, true, InputFormat::kCsv},
      {Process::kXyBl, params::ConversionMode::kGridOnly, false, InputFormat::kSima},
  };
  int round = 0;
  for (const Choice& c : choices) {
    for (int variant = 0; variant < 4; ++variant, ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      const auto dir = FreshDir("parallel");
      // Small files (progress every line) and files of several batches.
      const int lines =
          variant == 0 ? 1 + static_cast<int>(rng() % 900) : 1000 + static_cast<int>(rng() % 4000);
      WriteBytes(dir / "in.txt",
                 RandomInput(rng, c.process == Process::kBl, lines, variant >= 2, c.format));
      const int yields = lines > 1000 ? lines / 100 : lines;
      const int cancelAt = variant == 3 ? 1 + static_cast<int>(rng() % yields) : -1;
      const Observed one = RunOnce(dir, c, 1, cancelAt);
      for (int jobs : {2, 3, 8}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        const Observed many = RunOnce(dir, c, jobs, cancelAt);
        EXPECT_EQ(one.outcome, many.outcome);
        EXPECT_EQ(one.result, many.result);
        EXPECT_EQ(one.lines, many.lines);
        EXPECT_TRUE(one == many);
      }
    }
  }
}

TEST(Parallel, JobsSettings) {
  EXPECT_EQ(ConversionThreads(1), 1u);
  EXPECT_EQ(ConversionThreads(6), 6u);
  EXPECT_GE(ConversionThreads(0), 1u);
}

}  // namespace
}  // namespace varno::batch
