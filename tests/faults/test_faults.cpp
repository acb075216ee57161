// Fault tests of the file paths: a result file that stops accepting data, an
// input file that changes under a run, oversized and malformed parameter
// files, lines of several megabytes and bytes that are not CP932.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "../batch/batch_test_util.h"
#include "params/interpolate.h"
#include "params/reader.h"
#include "support/silent_views.h"
#include "text/errors.h"

namespace varno::batch {
namespace {

using namespace varno::batch::testing;
namespace fs = std::filesystem;

std::string XyInput(int lines) {
  std::string s = "# X Y H name\r\n";
  for (int i = 0; i < lines; ++i) {
    s += std::to_string(-9000 + (i % 180) * 100) + ".125 " + std::to_string(4000 - (i % 77) * 100) +
         ".5 " + std::to_string(i % 50) + ".25 P" + std::to_string(i) + "\r\n";
  }
  return s;
}

// Runs XY_File on `input` and returns the result bytes and the outcome.
struct Result {
  RunOutcome outcome;
  std::string bytes;
  std::vector<MessageRecorder::Box> boxes;
};

Result RunXy(const fs::path& dir, const std::string& input) {
  fs::create_directories(dir);
  Harness h(dir);
  WriteBytes(dir / "in.txt", input);
  h.Choose(dir / "in.txt");
  const RunOutcome outcome = h.Run(false);
  return {outcome, h.Result(), h.messages.boxes};
}

TEST(ResultFileFaults, FullDeviceStopsTheRunWithTheSystemMessage) {
  const fs::path dir = FreshDir("faults_devfull");
  Harness h(dir);
  WriteBytes(dir / "in.txt", XyInput(10));
  h.files.inFilePath = (dir / "in.txt").string();
  h.files.outFilePath = "/dev/full";
  h.files.outFile = std::fopen("/dev/full", "wb");
  ASSERT_NE(h.files.outFile, nullptr);
  h.files.inFileChosen = h.files.outFileChosen = true;
  EXPECT_EQ(h.Run(false), RunOutcome::kOtherError);
  ASSERT_EQ(h.messages.boxes.size(), 1u);
  EXPECT_NE(h.messages.boxes[0].text.find("in XY_File"), std::string::npos);
  EXPECT_EQ(h.files.outFile, nullptr);  // closed
  EXPECT_FALSE(h.files.outFileChosen);  // reset as after a finish
}

// The result file may grow only to a small limit (as on a full disk): the
// run stops with an error, and what reached the file is an exact prefix of
// the complete result, readable and without foreign bytes.
TEST(ResultFileFaults, SizeLimitInTheMiddleOfARun) {
  const fs::path dir = FreshDir("faults_fsize");
  const std::string input = XyInput(40000);
  const Result full = RunXy(dir / ".." / "faults_fsize_full", input);
  ASSERT_EQ(full.outcome, RunOutcome::kFinished);
  ASSERT_GT(full.bytes.size(), 2u << 20);

  const LimitedRun run = RunUnderFileSizeLimit(1536 * 1024, [&] {
    const Result r = RunXy(dir, input);
    return std::pair(r.outcome == RunOutcome::kOtherError && r.boxes.size() == 1,
                     r.boxes.empty() ? std::string() : r.boxes[0].text);
  });
  EXPECT_TRUE(run.asExpected) << run.text;
  EXPECT_NE(run.text.find("in XY_File"), std::string::npos) << run.text;

  const std::string partial = ReadBytes(dir / "result.out");
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LE(partial.size(), 1536u * 1024u);
  EXPECT_EQ(full.bytes.compare(0, partial.size(), partial), 0) << "not a prefix of the result";
}

// A view that changes the input file after the line count, before the lines
// are read.
struct ChangingView : ViewRecorder {
  std::function<void()> afterCount;
  void SetLineText(const std::string& t) override {
    ViewRecorder::SetLineText(t);
    if (afterCount) afterCount();
  }
};

TEST(InputFileFaults, DisappearsShrinksOrGrowsAfterTheCount) {
  const fs::path dir = FreshDir("faults_input");
  const fs::path in = dir / "in.txt";
  const std::string input = XyInput(30);
  struct Case {
    const char* name;
    std::function<void()> change;
    RunOutcome outcome;
    std::size_t lines;  // data and comment lines in the result
  };
  const Case cases[] = {
      {"disappears", [&] { fs::remove(in); }, RunOutcome::kOtherError, 0},
      {"shrinks", [&] { WriteBytes(in, XyInput(10)); }, RunOutcome::kFinished, 11},
      {"grows", [&] { WriteBytes(in, XyInput(50)); }, RunOutcome::kFinished, 51},
      {"emptied", [&] { WriteBytes(in, ""); }, RunOutcome::kFinished, 0},
  };
  const Result reference = RunXy(dir / ".." / "faults_input_ref", "");
  const std::size_t header = CrLfLines(reference.bytes).size();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(in, input);
    Harness h(dir);
    ChangingView view;
    view.afterCount = c.change;
    h.Choose(in);
    const RunSettings settings = h.Settings();
    BatchContext ctx{settings, h.files, h.cancel, view, {h.status, h.messages}};
    EXPECT_EQ(XY_File(ctx), c.outcome);
    EXPECT_EQ(h.files.outFile, nullptr);
    const auto lines = CrLfLines(h.Result());
    if (c.outcome == RunOutcome::kFinished) {
      EXPECT_EQ(lines.size(), header + c.lines);
    } else {
      EXPECT_EQ(h.messages.boxes.size(), 1u);
      EXPECT_LE(lines.size(), header);
    }
  }
}

TEST(LongLines, SeveralMegabytesPassThrough) {
  const fs::path dir = FreshDir("faults_long");
  const std::string comment = "#" + std::string(5u << 20, 'c');
  const std::string name(3u << 20, 'n');
  const std::string other(4u << 20, 'z');
  const std::string input = comment + "\r\n100.5 200.25 3.5 " + name + "\r\n" + other + "\n1 2 3\r";
  const Result r = RunXy(dir, input);
  ASSERT_EQ(r.outcome, RunOutcome::kFinished);
  const auto lines = CrLfLines(r.bytes);
  const Result empty = RunXy(dir / ".." / "faults_long_ref", "");
  const std::size_t header = CrLfLines(empty.bytes).size();
  ASSERT_EQ(lines.size(), header + 4);
  EXPECT_EQ(lines[header], comment);
  EXPECT_NE(lines[header + 1].find(name), std::string::npos);
  EXPECT_EQ(lines[header + 2], other);
}

TEST(Cp932Faults, InvalidBytesInNamesAndHeaderTextsStayAsTheyAre) {
  const fs::path dir = FreshDir("faults_cp932");
  // Names: a lone lead byte, 0xFF, a 0x5C trail byte, a lead byte before a blank.
  const std::vector<std::string> names = {"\x81", "ab\xff", "\x95\x5c\x95\x5c", "\x88 x"};
  std::string input;
  for (const std::string& n : names) input += "1000.5 -2000.25 1.5 " + n + "\r\n";
  input += "#\x82\xa0\xff comment\r\n\x80\xfd\xfe\r\n";
  Harness h(dir);
  h.store.rangeText = "\x81\xff\x5c";
  h.store.methodText = std::string("\x00\x01", 2);
  WriteBytes(dir / "in.txt", input);
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  const std::string out = h.Result();
  EXPECT_NE(out.find("\x81\xff\x5c"), std::string::npos);  // range text copied as read
  const auto lines = CrLfLines(out);
  ASSERT_GE(lines.size(), names.size() + 2);
  const std::size_t first = lines.size() - names.size() - 2;
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_NE(lines[first + i].find(names[i]), std::string::npos) << i;
  }
  EXPECT_EQ(lines[lines.size() - 2], "#\x82\xa0\xff comment");
  EXPECT_EQ(lines.back(), "\x80\xfd\xfe");
  EXPECT_NE(h.store.RangeTextUtf8().find("\xEF\xBF\xBD"), std::string::npos);
}

params::ParamStore Load(const fs::path& path, const std::string& bytes) {
  WriteBytes(path, bytes);
  params::ParamStore s;
  s.paraFilePath = path.string();
  bool cancel = false;
  params::SilentLoadView view;
  params::ReadParaFile(s, cancel, view);
  return s;
}

TEST(ParameterFileFaults, MoreNodesThanTheLimitsAndMalformedTexts) {
  const fs::path dir = FreshDir("faults_par");
  // Limits state a 3 x 3 grid; the file holds 100 x 100 nodes, most outside.
  std::string par = "\"\x81\xff\",\"\x95\x5c\",\"1.0\",9\r\n0,2000,1000\r\n0,2000,1000\r\nh\r\n";
  for (int i = 0; i < 100; ++i) {
    for (int j = 0; j < 100; ++j) {
      par += std::to_string(i * 1000) + "," + std::to_string(j * 1000) + ",0.5,-0.25,0.125\r\n";
    }
  }
  params::ParamStore s = Load(dir / "big.par", par);
  EXPECT_EQ(s.count, 10000);
  EXPECT_EQ(s.records.size(), 10001u);
  EXPECT_EQ(s.rangeText, "\x81\xff");
  EXPECT_EQ(s.methodText, "\x95\x5c");
  const params::Corrections inside = params::InterpolatePara(s, 500, 500);
  EXPECT_DOUBLE_EQ(inside.dx, 0.5);
  const params::Corrections outside = params::InterpolatePara(s, 50000, 50000);
  EXPECT_EQ(outside.dx, -9999);  // beyond the stated limits: no parameters

  // A header line of several megabytes and a node line of garbage.
  const std::string longText(6u << 20, 'r');
  s = Load(dir / "long.par", "\"" + longText + "\",m,1.0,9\r\n0,1,1\r\n0,1,1\r\nh\r\n" +
                                 std::string(2u << 20, '\xff') + "\r\n1,2,3,4,5\r\n");
  EXPECT_EQ(s.rangeText, longText);
  EXPECT_EQ(s.records.size(), static_cast<std::size_t>(s.count) + 1);
  for (const params::ParaRecord& r : s.records) {
    EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.dx) && std::isfinite(r.dh));
  }
}

}  // namespace
}  // namespace varno::batch
