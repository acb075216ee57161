#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "batch/convert.h"
#include "batch/io.h"
#include "batch_test_util.h"
#include "codec/cp932.h"

namespace varno::batch {
namespace {

using namespace varno::batch::testing;
namespace fs = std::filesystem;

constexpr std::size_t kBlHeaderLines = 11;   // 7 lines, 3 title lines, empty line
constexpr std::size_t kXyHeaderLines2 = 10;  // with a two-line title block
constexpr std::size_t kXyHeaderLines3 = 11;

// ---- golden result files ----

struct GoldenCase {
  const char* input;
  bool bl;
  Process process;
  bool withInput;
  params::ConversionMode mode;
  const char* expected;
};

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, ResultFileMatchesByteForByte) {
  const GoldenCase& c = GetParam();
  auto dir = FreshDir(std::string("golden_") + c.expected);
  Harness h(dir);
  h.mode = c.mode;
  h.process = c.process;
  h.withInput = c.withInput;
  h.Choose(DataFile(c.input));
  ASSERT_EQ(h.Run(c.bl), RunOutcome::kFinished);
  const std::string expected = ReadBytes(DataFile(c.expected));
  ASSERT_FALSE(expected.empty());
  const auto got = CrLfLines(h.Result());
  const auto want = CrLfLines(expected);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
  EXPECT_EQ(h.Result(), expected);
  EXPECT_TRUE(h.messages.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    SixLayoutsAndModes, Golden,
    ::testing::Values(GoldenCase{"xy.in", false, Process::kXy, false,
                                 params::ConversionMode::kGridOnly, "xy_noin.out"},
                      GoldenCase{"xy.in", false, Process::kXy, true,
                                 params::ConversionMode::kGridOnly, "xy_in.out"},
                      GoldenCase{"xy.in", false, Process::kXyBl, false,
                                 params::ConversionMode::kGridOnly, "xybl_noin.out"},
                      GoldenCase{"xy.in", false, Process::kXyBl, true,
                                 params::ConversionMode::kGridOnly, "xybl_in.out"},
                      GoldenCase{"xy.in", false, Process::kXyBl, true,
                                 params::ConversionMode::kGridThenRep, "xy_mode1.out"},
                      GoldenCase{"bl.in", true, Process::kBl, false,
                                 params::ConversionMode::kGridOnly, "bl_noin.out"},
                      GoldenCase{"bl.in", true, Process::kBl, true,
                                 params::ConversionMode::kGridOnly, "bl_in.out"},
                      GoldenCase{"bl.in", true, Process::kBl, false,
                                 params::ConversionMode::kGridThenRep, "bl_mode1.out"}));

// ---- the run: texts, state after the run ----

TEST(Run, FinishResetsTheDialogAndClosesTheFile) {
  auto dir = FreshDir("finish");
  WriteBytes(dir / "three.in", "# c\r\n1000 2000 3\r\n\r\n");
  Harness h(dir);
  h.view.showResult = true;
  h.Choose(dir / "three.in");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  EXPECT_EQ(h.files.outFile, nullptr);
  EXPECT_FALSE(h.files.inFileChosen);
  EXPECT_FALSE(h.files.outFileChosen);
  EXPECT_EQ(h.view.breakShown, (std::vector<bool>{true, false}));
  EXPECT_EQ(h.view.startEnabled, (std::vector<bool>{false}));
  EXPECT_EQ(h.view.lineTexts, (std::vector<std::string>{"全 3行"}));
  ASSERT_EQ(h.view.dialogStatus.size(), 1u);
  EXPECT_EQ(h.view.dialogStatus[0].first,
            "ファイル一括計算処理が終了しました。\u3000 3行を処理しました。");
  EXPECT_EQ(h.view.dialogStatus[0].second, colors::kLightCyan);
  EXPECT_EQ(h.view.viewerOpened, (std::vector<std::string>{h.outPath.string()}));
  auto lines = CrLfLines(h.Result());
  ASSERT_EQ(lines.size(), kXyHeaderLines2 + 3);
  EXPECT_EQ(lines[kXyHeaderLines2], "# c");
  EXPECT_EQ(lines[kXyHeaderLines2 + 1],
            "   1000.5000    1999.7500       3.1250       ");  // name and status empty: 7 blanks
  EXPECT_EQ(lines[kXyHeaderLines2 + 2], "");
}

TEST(Run, ProgressEveryLineForSmallFiles) {
  auto dir = FreshDir("progress_small");
  std::string in;
  for (int i = 0; i < 200; ++i) in += "#\r\n";
  WriteBytes(dir / "in.txt", in);
  Harness h(dir);
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  EXPECT_EQ(h.view.progressMax, 200);
  ASSERT_EQ(h.view.progress.size(), 201u);  // every line, then the maximum
  EXPECT_EQ(h.view.yields, 200);
  ASSERT_EQ(h.view.percentTexts.size(), 202u);
  EXPECT_EQ(h.view.percentTexts[0], "処理中...");
  EXPECT_EQ(h.view.percentTexts[25], "処理状況 12.5%  25行");
  EXPECT_EQ(h.view.percentTexts[1], "処理状況 0.5%  1行");
  EXPECT_EQ(h.view.percentTexts.back(), "処理状況 100.0%  200行");
}

TEST(Run, ProgressEveryHundredLinesForLargeFiles) {
  auto dir = FreshDir("progress_large");
  std::string in;
  for (int i = 0; i < 2500; ++i) in += (i % 2 ? "1000 2000 3\r\n" : "x\n");
  WriteBytes(dir / "in.txt", in);
  Harness h(dir);
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  std::vector<long> expect;
  for (long i = 100; i <= 2500; i += 100) expect.push_back(i);
  expect.push_back(2500);  // once more at the end
  EXPECT_EQ(h.view.progress, expect);
  EXPECT_EQ(h.view.yields, 25);
  EXPECT_EQ(h.view.lineTexts, (std::vector<std::string>{"全 2500行"}));
  EXPECT_EQ(h.view.percentTexts[1], "処理状況 4.0%  100行");
  EXPECT_EQ(h.view.percentTexts.back(), "処理状況 100.0%  2500行");
  EXPECT_EQ(CrLfLines(h.Result()).size(), kXyHeaderLines2 + 2500);
}

// The boundary of the two progress intervals: 1000 lines show every line,
// 1001 lines every 100th.
TEST(Run, ProgressIntervalChangesAfter1000Lines) {
  for (const int n : {1000, 1001}) {
    auto dir = FreshDir("progress_" + std::to_string(n));
    std::string in;
    for (int i = 0; i < n; ++i) in += "#\r\n";
    WriteBytes(dir / "in.txt", in);
    Harness h(dir);
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
    EXPECT_EQ(h.view.yields, n == 1000 ? 1000 : 10) << n;
    EXPECT_EQ(h.view.progress.at(1), n == 1000 ? 2 : 200) << n;
  }
}

// A cancel while the lines are still counted stops the run as the cancel
// button does, not with an error: the result file holds the header only.
TEST(Run, CancelWhileCountingIsACancel) {
  auto dir = FreshDir("cancel_count");
  WriteBytes(dir / "in.txt", "1000 2000 3\r\n1000 2000 3\r\n");
  Harness h(dir);
  h.view.cancelWhileCounting = true;
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kCancelled);
  EXPECT_TRUE(h.messages.boxes.empty());
  EXPECT_TRUE(h.view.dialogStatus.empty());
  EXPECT_EQ(h.view.yields, 0);
  EXPECT_EQ(h.files.outFile, nullptr);
  EXPECT_EQ(CrLfLines(h.Result()).size(), kXyHeaderLines2);
}

// Lines counted before the run stand for the run's own count: their number
// scales the progress, a cancelled count or a cancel meanwhile cancels the
// run, and a failed count fails it as the run's own count would.
TEST(Run, LinesCountedBeforehandStandForTheRunsOwnCount) {
  auto dir = FreshDir("counted");
  WriteBytes(dir / "in.txt", "1000 2000 3\r\n1000 2000 3\r\n");
  {
    Harness h(dir);
    h.countedLines = [] { return 2LL; };
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
    EXPECT_EQ(h.view.lineTexts.back(), LineCountText(2));
    EXPECT_EQ(h.view.progressMax, 2);
    const std::string first = h.Result();
    Harness own(dir);
    own.Choose(dir / "in.txt");
    ASSERT_EQ(own.Run(false), RunOutcome::kFinished);
    EXPECT_EQ(first, own.Result());
  }
  for (int way = 0; way < 3; ++way) {
    Harness h(dir);
    h.countedLines = [way] { return way == 0 ? -1LL : 2LL; };
    if (way == 1) h.cancel = true;
    if (way == 2) h.view.cancelWhileCounting = true;
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(false), RunOutcome::kCancelled) << way;
    EXPECT_TRUE(h.messages.boxes.empty());
    EXPECT_EQ(CrLfLines(h.Result()).size(), kXyHeaderLines2);
  }
  {
    Harness h(dir), own(dir);
    h.countedLines = [&] { return CountLines((dir / "nothing.in").string()); };
    h.Choose(dir / "nothing.in");
    own.Choose(dir / "nothing.in");
    EXPECT_EQ(h.Run(false), RunOutcome::kOtherError);
    EXPECT_EQ(own.Run(false), RunOutcome::kOtherError);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    ASSERT_EQ(own.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, own.messages.boxes[0].text);
    EXPECT_EQ(h.files.outFile, nullptr);
  }
}

TEST(Run, CancelAfterTheUpdateAtLine300) {
  auto dir = FreshDir("cancel");
  std::string in;
  for (int i = 0; i < 5000; ++i) in += "1000 2000 3 p" + std::to_string(i) + "\r\n";
  WriteBytes(dir / "in.txt", in);
  Harness h(dir);
  h.view.showResult = true;
  h.view.onYield = [&](ViewRecorder& v) {
    if (v.progress.back() == 300) h.cancel = true;  // the cancel button, clicked during the yield
  };
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kCancelled);
  EXPECT_FALSE(h.cancel);  // acknowledged
  EXPECT_EQ(h.files.outFile, nullptr);
  EXPECT_FALSE(h.files.inFileChosen || h.files.outFileChosen);
  EXPECT_EQ(h.view.busy, (std::vector<bool>{false}));
  EXPECT_TRUE(h.view.viewerOpened.empty());
  EXPECT_TRUE(h.view.dialogStatus.empty());  // the cancel button's own text stays
  auto lines = CrLfLines(h.Result());
  ASSERT_EQ(lines.size(), kXyHeaderLines2 + 300);
  EXPECT_EQ(lines.back().substr(lines.back().size() - 6), "p299  ");
}

TEST(Run, EmptyInputGivesTheHeaderOnly) {
  auto dir = FreshDir("empty");
  WriteBytes(dir / "in.txt", "");
  Harness h(dir);
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(true), RunOutcome::kFinished);
  EXPECT_EQ(CrLfLines(h.Result()).size(), kBlHeaderLines);
  EXPECT_EQ(h.view.lineTexts, (std::vector<std::string>{"全 0行"}));
  EXPECT_EQ(h.view.percentTexts.back(), "処理状況 100.0%  0行");
  EXPECT_EQ(h.view.dialogStatus.at(0).first,
            "ファイル一括計算処理が終了しました。\u3000 0行を処理しました。");
}

// A line break in a file's name would split the header line that names the
// file: the header keeps its lines, the name shows "?" for it.
TEST(Run, ALineBreakInAFileNameLeavesTheHeaderItsLines) {
  auto dir = FreshDir("name_break");
  const auto in = dir / "a\nb\r.txt";
  WriteBytes(in, "");
  Harness h(dir);
  h.outPath = dir / "out\x1b.txt";
  h.Choose(in);
  ASSERT_EQ(h.Run(true), RunOutcome::kFinished);
  const std::string result = h.Result();
  EXPECT_EQ(CrLfLines(result).size(), kBlHeaderLines);
  EXPECT_EQ(std::count(result.begin(), result.end(), '\n'),
            std::count(result.begin(), result.end(), '\r'));
  EXPECT_NE(result.find("a?b?.txt"), std::string::npos);
  EXPECT_NE(result.find("out?.txt"), std::string::npos);
}

// ---- errors stop the run; the lines before stay ----

TEST(Run, DataLineWithoutHeightStopsWithTheMessageBox) {
  for (bool bl : {true, false}) {
    SCOPED_TRACE(bl ? "Bl_File" : "XY_File");
    auto dir = FreshDir(bl ? "noh_bl" : "noh_xy");
    WriteBytes(dir / "in.txt",
               bl ? "#\r\n360000 1395000 1\r\n360000 1395000\r\n360000 1395000 1\r\n"
                  : "#\r\n1000 2000 3\r\n1000 2000\r\n1000 2000 3\r\n");
    Harness h(dir);
    h.view.showResult = true;
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(bl), RunOutcome::kOtherError);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    const std::string head =
        std::string("入力されたデータに問題があると思われます。計算は中断しました。 in ") +
        (bl ? "Bl_File" : "XY_File");
    EXPECT_EQ(h.messages.boxes[0].text.substr(0, head.size()), head);
    EXPECT_GT(h.messages.boxes[0].text.size(), head.size());  // the error's description follows
    EXPECT_EQ(h.messages.boxes[0].title, "座標変換プログラム");
    // Files closed and the dialog reset: a second Start cannot append a second header.
    EXPECT_EQ(h.files.outFile, nullptr);
    EXPECT_FALSE(h.files.inFileChosen || h.files.outFileChosen);
    EXPECT_EQ(h.view.startEnabled, (std::vector<bool>{false}));
    EXPECT_EQ(h.view.breakShown.back(), false);
    EXPECT_TRUE(h.view.viewerOpened.empty());
    auto lines = CrLfLines(h.Result());
    const std::size_t header = bl ? kBlHeaderLines : kXyHeaderLines2;
    ASSERT_EQ(lines.size(), header + 2);
    EXPECT_EQ(lines[header], "#");
    // The status no longer says the run goes on: it stopped, at line 3.
    ASSERT_EQ(h.view.dialogStatus.size(), 1u);
    EXPECT_EQ(h.view.dialogStatus[0].first,
              "ファイル一括計算処理は 3行目でエラーのため中止しました。");
    EXPECT_EQ(h.view.dialogStatus[0].second, colors::kDarkRed);
  }
}

TEST(Run, ANameWhereTheHeightShouldBeIsShownReadably) {
  // The message box shows UTF-8: the CP932 field must be decoded, not pasted,
  // and a huge field is shortened.
  const std::string fields[] = {"\x8c\x95\x8a\x78", std::string(500, 'x')};  // 剣岳
  for (const std::string& field : fields) {
    auto dir = FreshDir("name_as_h");
    WriteBytes(dir / "in.txt", "1000 2000 " + field + "\r\n");
    Harness h(dir);
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(false), RunOutcome::kOtherError);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    const std::string& text = h.messages.boxes[0].text;
    EXPECT_NO_THROW(Utf8ToCp932(text));
    EXPECT_LT(text.size(), 300u);
    if (field.size() < 10) {
      EXPECT_NE(text.find("剣岳"), std::string::npos) << text;
    }
  }
}

TEST(Run, NumberTooLargeForADoubleIsAnOverflow) {
  auto dir = FreshDir("overflow");
  // Too small for a Double is 0, not an overflow: only the second line stops.
  WriteBytes(dir / "in.txt",
             "0." + std::string(399, '0') + "1 2 3\r\n1" + std::string(400, '0') + " 2 3\r\n");
  Harness h(dir);
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kOverflowError);
  EXPECT_TRUE(h.messages.boxes.empty());
  ASSERT_EQ(h.view.dialogStatus.size(), 1u);
  EXPECT_EQ(h.view.dialogStatus[0].first,
            "入力されたデータに問題があります。計算は中断しました。 in XY_File");
  EXPECT_EQ(h.view.dialogStatus[0].second, colors::kGreen);
  EXPECT_EQ(CrLfLines(h.Result()).size(), kXyHeaderLines2 + 1);
  EXPECT_EQ(h.files.outFile, nullptr);
}

TEST(Run, FullDiskIsAnErrorNotASuccess) {
  auto dir = FreshDir("full");
  WriteBytes(dir / "in.txt", "1000 2000 3\r\n");
  Harness h(dir);
  h.files.inFilePath = (dir / "in.txt").string();
  h.files.outFilePath = "/dev/full";
  h.files.outFile = std::fopen("/dev/full", "wb");
  if (h.files.outFile == nullptr) GTEST_SKIP() << "/dev/full not available";
  ASSERT_EQ(h.Run(false), RunOutcome::kOtherError);
  ASSERT_EQ(h.messages.boxes.size(), 1u);
  EXPECT_NE(h.messages.boxes[0].text.find("in XY_File"), std::string::npos);
  // Not "finished", nor still running: stopped, on the error colour.
  ASSERT_EQ(h.view.dialogStatus.size(), 1u);
  EXPECT_EQ(h.view.dialogStatus[0].first,
            "ファイル一括計算処理は 1行目でエラーのため中止しました。");
  EXPECT_NE(h.messages.boxes[0].text.find("結果ファイルには 0行の結果があります（入力の 1行目で"),
            std::string::npos);
  EXPECT_EQ(h.view.dialogStatus[0].second, colors::kDarkRed);
  EXPECT_EQ(h.files.outFile, nullptr);
}

// A file size limit stands for a full disk: the run stops with a message that
// says how many results the file holds and at which input line writing
// failed, and the file is cut back to its last whole line. The run happens in
// a child process, the only one the limit applies to.
TEST(Run, WriteFailureLeavesWholeLinesAndSaysWhere) {
  auto dir = FreshDir("fsize");
  std::string in;
  for (int i = 0; i < 5000; ++i) in += "1000 2000 3 PT" + std::to_string(i) + "\r\n";
  WriteBytes(dir / "in.txt", in);
  constexpr rlim_t kLimit = 50000;
  const LimitedRun run = RunUnderFileSizeLimit(kLimit, [&] {
    Harness h(dir);
    h.Choose(dir / "in.txt");
    const RunOutcome outcome = h.Run(false);
    std::string report = h.messages.boxes.empty() ? "" : h.messages.boxes[0].text;
    if (!h.view.dialogStatus.empty()) report += "\n" + h.view.dialogStatus[0].first;
    return std::pair(outcome == RunOutcome::kOtherError, report);
  });
  ASSERT_TRUE(run.asExpected) << run.text;
  const std::string& report = run.text;

  const std::string result = ReadBytes(dir / "result.out");
  ASSERT_GT(result.size(), 0u);
  EXPECT_LE(result.size(), kLimit);
  EXPECT_EQ(result.substr(result.size() - 2), "\r\n");  // no cut line at the end
  const auto lines = CrLfLines(result);
  const std::size_t results = lines.size() - kXyHeaderLines2;
  EXPECT_TRUE(lines.back().ends_with(" PT" + std::to_string(results - 1) + "  ")) << lines.back();
  EXPECT_NE(report.find("空き容量"), std::string::npos) << report;
  EXPECT_NE(
      report.find("結果ファイルには " + std::to_string(results) + "行の結果があります（入力の " +
                  std::to_string(results + 1) + "行目で書き込めませんでした）"),
      std::string::npos)
      << report;
  EXPECT_NE(report.find(std::to_string(results + 1) + "行目でエラーのため中止しました"),
            std::string::npos);
}

TEST(Run, MissingInputIsAnError) {
  auto dir = FreshDir("missing");
  Harness h(dir);
  h.Choose(dir / "nothing.in");
  EXPECT_EQ(h.Run(true), RunOutcome::kOtherError);
  EXPECT_EQ(h.messages.boxes.size(), 1u);
  EXPECT_EQ(h.files.outFile, nullptr);
}

// ---- range tests of the latitude/longitude converter ----

TEST(Run, RangeTestsWithAndWithoutAParameterZone) {
  struct Case {
    int16_t zone;
    std::string line;
    std::string message;  // empty: passes the range test
  };
  const std::vector<Case> cases = {
      {0, "455959 1395000 1", ""},
      {0, "460001 1395000 1", "緯度は 23～46 の範囲です。入力し直して下さい。in Bl_File"},
      {0, "225959 1395000 1", "緯度は 23～46 の範囲です。入力し直して下さい。in Bl_File"},
      {0, "360000 1460001 1", "経度は 122～146 の範囲です。入力し直して下さい。in Bl_File"},
      {0, "360000 1215959 1", "経度は 122～146 の範囲です。入力し直して下さい。in Bl_File"},
      {0, "460001 1460001 1", "緯度は 23～46 の範囲です。入力し直して下さい。in Bl_File"},
      {9, "385959 1395000 1", ""},
      {9, "390001 1395000 1", "緯度は座標系  9 系の範囲外です。入力し直して下さい。in Bl_File"},
      {9, "360000 1412001 1", "経度は座標系  9 系の範囲外です。入力し直して下さい。in Bl_File"},
      {9, "360000 1381959 1", "経度は座標系  9 系の範囲外です。入力し直して下さい。in Bl_File"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    auto dir = FreshDir("range");
    WriteBytes(dir / "in.txt", c.line + " n\r\n360000 1395000 7 next\r\n");
    Harness h(dir);
    h.store.zoneNo = c.zone;
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(true), RunOutcome::kFinished);
    auto lines = CrLfLines(h.Result());
    ASSERT_EQ(lines.size(), kBlHeaderLines + 2);
    // Every one of these points is outside the test grid or fails its range
    // test: not corrected either way.
    const std::string notCorrected = std::string(7, ' ') + "-9999. " + " " + std::string(8, ' ') +
                                     "-9999. " + "   " + std::string(38, ' ') + "     n  ";
    EXPECT_EQ(lines[kBlHeaderLines], notCorrected);
    // The run goes on: the next point is converted.
    EXPECT_EQ(lines[kBlHeaderLines + 1].substr(0, 13), " 360000.01622");
    const bool rangeMessage =
        !h.status.texts.empty() && h.status.texts.front().find("in Bl_File") != std::string::npos;
    if (c.message.empty()) {
      EXPECT_FALSE(rangeMessage);
    } else {
      ASSERT_TRUE(rangeMessage);
      EXPECT_EQ(h.status.texts.front(), c.message);
      ASSERT_FALSE(h.status.colors.empty());
      EXPECT_EQ(h.status.colors.front(), colors::kDarkRed);
    }
  }
}

// ---- choices read once, at the start ----

TEST(Run, ChangingTheSettingsMidRunChangesNoLine) {
  auto dir = FreshDir("switch");
  WriteBytes(dir / "in.txt", "1000 2000 3\r\n1000 2000 3\r\n");
  Harness h(dir);
  h.process = Process::kXyBl;
  h.view.onLine = [&h](ViewRecorder&, long n) {
    if (n == 2) {
      h.running->process = Process::kXy;
      h.running->withInputValues = true;
      h.running->mode = params::ConversionMode::kRepOnly;
      h.running->geo.zone = geo::ParseZoneItem(geo::ZoneItems()[0]);
    }
  };
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  auto lines = CrLfLines(h.Result());
  ASSERT_EQ(lines.size(), kXyHeaderLines3 + 2);
  EXPECT_NE(Cp932ToUtf8(lines[8]).find("緯度"), std::string::npos);
  EXPECT_EQ(lines[kXyHeaderLines3].substr(0, 14), " 360032.45648 ");
  EXPECT_EQ(lines[kXyHeaderLines3 + 1], lines[kXyHeaderLines3]);
}

TEST(Run, AFailingInverseProjectionIsReportedAndTheRunGoesOn) {
  auto dir = FreshDir("calcxy2bl");
  WriteBytes(dir / "in.txt", "1" + std::string(300, '0') + " 1" + std::string(300, '0') +
                                 " 0 far\r\n1000 2000 3 near\r\n");
  Harness h(dir);
  h.mode = params::ConversionMode::kRepOnly;
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  bool reported = false;
  for (const auto& t : h.status.texts) reported |= t.find("in CalcXy2bl") != std::string::npos;
  for (const auto& b : h.messages.boxes)
    reported |= b.text.find("in CalcXy2bl") != std::string::npos;
  EXPECT_TRUE(reported);
  auto lines = CrLfLines(h.Result());
  ASSERT_EQ(lines.size(), kXyHeaderLines2 + 2);
  EXPECT_EQ(lines.back(),
            "   1001.2500    2002.0000       2.5000     near  \x2a\x91\xe3\x95\x5c\x93\x5f");
}

// ---- the input file is never lost ----

TEST(OutputPath, TheInputItselfIsRefused) {
  auto dir = FreshDir("samefile");
  const fs::path in = dir / "pts.in";
  WriteBytes(in, "1 2 3\r\n");
  fs::create_symlink(in, dir / "link.in");
  fs::create_hard_link(in, dir / "hard.in");
  WriteBytes(dir / "other.out", "");
  EXPECT_FALSE(CheckOutputPath(in.string(), in.string()).empty());
  EXPECT_FALSE(CheckOutputPath(in.string(), (dir / "link.in").string()).empty());
  EXPECT_FALSE(CheckOutputPath(in.string(), (dir / "hard.in").string()).empty());
  EXPECT_FALSE(CheckOutputPath(in.string(), (dir / "." / "pts.in").string()).empty());
  EXPECT_TRUE(CheckOutputPath(in.string(), (dir / "other.out").string()).empty());
  EXPECT_TRUE(CheckOutputPath(in.string(), (dir / "new.out").string()).empty());
  EXPECT_TRUE(CheckOutputPath("", (dir / "new.out").string()).empty());
  // A relative spelling of the same file.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir);
  EXPECT_FALSE(CheckOutputPath("pts.in", in.string()).empty());
  fs::current_path(cwd);
}

// A result file deleted, or replaced by another file, between its choice and
// the run: the run stops before writing and asks for the file to be chosen
// again; the file now by that name is left alone.
TEST(OutputPath, AResultFileDeletedOrReplacedSinceItWasChosenStopsTheRun) {
  auto dir = FreshDir("lost_result");
  WriteBytes(dir / "in.txt", "370856.1234 1395201.9876 123.456 P\r\n");
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "replaced" : "deleted");
    Harness h(dir);
    h.Choose(dir / "in.txt");
    std::filesystem::remove(h.outPath);
    if (replaced) WriteBytes(h.outPath, "kept");
    EXPECT_EQ(h.Run(true), RunOutcome::kOtherError);
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_NE(h.messages.boxes[0].text.find("選択し直して"), std::string::npos);
    if (replaced) {
      EXPECT_EQ(h.Result(), "kept");
    } else {
      EXPECT_FALSE(std::filesystem::exists(h.outPath));
    }
  }
}

TEST(OutputPath, ARunOnItsOwnInputStopsBeforeWriting) {
  auto dir = FreshDir("samefile_run");
  const fs::path in = dir / "pts.in";
  WriteBytes(in, "1000 2000 3\r\n");
  Harness h(dir);
  h.files.inFilePath = in.string();
  h.files.outFilePath = in.string();
  h.files.outFile = std::fopen(in.c_str(), "ab");  // opened without emptying it
  ASSERT_NE(h.files.outFile, nullptr);
  ASSERT_EQ(h.Run(false), RunOutcome::kOtherError);
  EXPECT_EQ(ReadBytes(in), "1000 2000 3\r\n");
  ASSERT_EQ(h.messages.boxes.size(), 1u);
  EXPECT_NE(h.messages.boxes[0].text.find("同じファイル"), std::string::npos);
}

// ---- property: one output line per input line, copies byte-identical ----

TEST(Property, OneOutputLinePerInputLineAndCopiesUnchanged) {
  std::mt19937 rng(20110311);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const std::vector<std::string> garbage = {"",
                                            "#",
                                            "# comment \x95\x5c",
                                            " #x",
                                            "word",
                                            "1",
                                            "   ",
                                            "\t",
                                            "1\t2 3",
                                            "a 1 2",
                                            "1 b 2",
                                            "\xff\xfe\x80",
                                            "\x83\x5c 1 2",
                                            "1,5 2 3",
                                            "\xe3\x80\x80",
                                            "\x1a",
                                            "+-1 2 3"};
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    auto dir = FreshDir("property");
    std::vector<std::string> lines;
    std::vector<bool> isData;
    std::string bytes;
    const char* ends[] = {"\r\n", "\n", "\r"};
    const std::size_t n = pick(200);
    const bool bl = round % 3 == 0;
    for (std::size_t i = 0; i < n; ++i) {
      std::string line;
      bool data = pick(3) == 0;
      if (data && bl) {
        // Around the zone origin: inside and outside the grid and the zone.
        line = std::to_string(350000 + pick(50000)) + "." + std::to_string(pick(100)) +
               std::string(1 + pick(3), ' ') + std::to_string(1390000 + pick(30000)) + " " +
               std::to_string(pick(100));
      } else if (data) {
        line = std::to_string(static_cast<int>(pick(40000)) - 20000) + "." +
               std::to_string(pick(100)) + std::string(1 + pick(3), ' ') +
               std::to_string(static_cast<int>(pick(40000)) - 20000) + " " +
               std::to_string(pick(100));
        if (pick(2)) {
          line += " ";
          for (std::size_t k = pick(10); k > 0; --k) {
            char c = static_cast<char>(1 + pick(255));
            if (c == '\r' || c == '\n') c = '\\';
            line += c;
          }
        }
      } else {
        line = garbage[pick(garbage.size())];
      }
      lines.push_back(line);
      isData.push_back(data);
    }
    for (std::size_t i = 0; i < n; ++i) {
      bytes += lines[i];
      std::string end = ends[pick(3)];
      // A lone CR before an empty line ended by LF would read as one CR LF.
      if (end == "\r" && i + 1 < n && lines[i + 1].empty()) end = "\r\n";
      // A last line may go without its terminator, unless it is empty.
      if (i + 1 < n || lines[i].empty() || pick(2)) bytes += end;
    }
    WriteBytes(dir / "in.txt", bytes);
    Harness h(dir);
    h.mode = static_cast<params::ConversionMode>(1 + pick(3));
    h.process = pick(2) ? Process::kXy : Process::kXyBl;
    h.withInput = pick(2) == 0;
    h.Choose(dir / "in.txt");
    ASSERT_EQ(h.Run(bl), RunOutcome::kFinished);
    auto out = CrLfLines(h.Result());
    const std::size_t header =
        bl ? kBlHeaderLines : (h.process == Process::kXyBl ? kXyHeaderLines3 : kXyHeaderLines2);
    ASSERT_EQ(out.size(), header + n);
    for (std::size_t i = 0; i < n; ++i) {
      if (isData[i]) {
        LineFields f = SplitDataLine(lines[i]);
        const std::string tail = "     " + std::string(f.field[3]) + "  ";
        EXPECT_NE(out[header + i].find(tail), std::string::npos) << i;
      } else {
        EXPECT_EQ(out[header + i], lines[i]) << "line " << i;
      }
    }
  }
}

}  // namespace
}  // namespace varno::batch
