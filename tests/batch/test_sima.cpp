#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "batch/formats.h"
#include "batch/sima.h"
#include "batch_test_util.h"
#include "codec/cp932.h"
#include "text/format.h"

namespace varno::batch {
namespace {

using namespace varno::batch::testing;
using sima::Problem;
using namespace std::string_literals;

std::string Sjis(std::string_view utf8) {
  return Utf8ToCp932(utf8);
}

// A corrector that adds fixed amounts, or refuses every point.
struct FixedCorrector : PointCorrector {
  PointOutcome outcome = PointOutcome::kGrid;
  std::string reason = "no";
  CorrectedPoint Correct(double x, double y, double h) const override {
    CorrectedPoint c;
    c.outcome = outcome;
    if (outcome == PointOutcome::kNotConverted) {
      c.reason = reason;
      return c;
    }
    c.x = x + 0.5;
    c.y = y - 0.25;
    c.h = h + 0.125;
    return c;
  }
};

// ---- records ----

TEST(SimaRecord, RecordTypesAndProblems) {
  struct Case {
    std::string record;
    bool isPoint;
    Problem problem;
  };
  const std::vector<Case> cases = {
      {"G00,01,job,", false, Problem::kNone},
      {"A010,1,T,1.0,2.0,3.0,", false, Problem::kNone},  // another type
      {"a01,1,T,1.0,2.0,3.0,", false, Problem::kNone},
      {"", false, Problem::kNone},
      {"A01,1,T,1.0,2.0,3.0,", true, Problem::kNone},
      {" A01 ,1,T,1.0,2.0,", true, Problem::kNone},  // blanks around the type, empty H
      {"A01,1,T,1.0,2.0", true, Problem::kNone},     // no H field at all
      {"A01,1,T,1.0", true, Problem::kTooFewFields},
      {"A01", true, Problem::kTooFewFields},
      {"A01,1,T,1.0,,3.0,", true, Problem::kYNotNumber},
      {"A01,1,T,1.0m,2.0,3.0,", true, Problem::kXNotNumber},
      {"A01,1,T,1e3,2.0,3.0,", true, Problem::kXNotNumber},
      {"A01,1,T,\"1.0\",2.0,3.0,", true, Problem::kXNotNumber},
      {"A01,1,T,1.0,2.0,H,", true, Problem::kHNotNumber},
      {"A01,1,T,1" + std::string(400, '0') + ",2.0,3.0,", true, Problem::kXNotNumber},
      {"A01,1,\"T,1\",1.0,2.0,3.0,", true, Problem::kNone},
      {"A01,1,\"T\"\",1\",1.0,2.0,3.0,", true, Problem::kNone},  // "" inside quotes
      {"A01,1,\"T,1.0,2.0,3.0,", true, Problem::kUnterminatedQuote},
      {"A01,1,\"T\"\",1.0,2.0,3.0,", true, Problem::kUnterminatedQuote},
      {"A01,1,T\x81,1.0,2.0,3.0,", true, Problem::kInvalidText},
      {"A01,\xff,T,1.0,2.0,3.0,", true, Problem::kInvalidText},
      {"A01,1," + Sjis("表示") + ",1.0,2.0,3.0,", true, Problem::kNone},  // trail byte 0x5C
  };
  for (const Case& c : cases) {
    const sima::ParsedRecord r = sima::ParseRecord(c.record);
    EXPECT_EQ(r.isPoint, c.isPoint) << c.record;
    EXPECT_EQ(r.problem, c.problem) << c.record;
  }
  // Fields of every length up to 20 bytes, so that commas fall at every place
  // of the record.
  for (std::size_t n = 0; n <= 20; ++n) {
    const std::string name(n, 'N'), number(20 - n, '7'), h = std::string(n, '3') + "3.0";
    const std::string rec = "A01," + number + "," + name + ",1.5,-2.25," + h + ",";
    const sima::ParsedRecord r = sima::ParseRecord(rec);
    EXPECT_EQ(r.problem, Problem::kNone) << rec;
    EXPECT_EQ(r.fields.number, number);
    EXPECT_EQ(r.fields.name, name);
    EXPECT_EQ(r.fields.y, "-2.25");
    EXPECT_EQ(r.fields.h, h);
  }
  const sima::ParsedRecord q = sima::ParseRecord("A01, 7 ,\"a,b\", -1.5 ,\t2.25,  ,x");
  EXPECT_EQ(q.fields.number, " 7 ");
  EXPECT_EQ(q.fields.name, "\"a,b\"");
  EXPECT_EQ(q.fields.x, " -1.5 ");
  EXPECT_EQ(q.x, -1.5);
  EXPECT_EQ(q.y, 2.25);
  EXPECT_FALSE(q.fields.hasH);
}

// ParseRecord against its general split: the same fields (the same bytes of
// the record, or none), problem and numbers to the bit.
void ExpectSameParse(const std::string& record) {
  const sima::ParsedRecord a = sima::ParseRecord(record);
  const sima::ParsedRecord b = sima::detail::ParseRecordGeneral(record);
  auto where = [&](std::string_view v) {
    return v.data() == nullptr
               ? std::string("none")
               : std::to_string(v.data() - record.data()) + "+" + std::to_string(v.size());
  };
  const sima::PointFields &fa = a.fields, &fb = b.fields;
  const std::string_view sima::PointFields::*const views[] = {
      &sima::PointFields::number,   &sima::PointFields::name,  &sima::PointFields::x,
      &sima::PointFields::y,        &sima::PointFields::h,     &sima::PointFields::numberText,
      &sima::PointFields::nameText, &sima::PointFields::xText, &sima::PointFields::yText,
      &sima::PointFields::hText};
  for (std::size_t i = 0; i < std::size(views); ++i)
    ASSERT_EQ(where(fa.*views[i]), where(fb.*views[i])) << "view " << i << " of " << record;
  ASSERT_EQ(a.isPoint, b.isPoint) << record;
  ASSERT_EQ(a.problem, b.problem) << record;
  ASSERT_EQ(fa.hasH, fb.hasH) << record;
  ASSERT_EQ(std::bit_cast<uint64_t>(a.x), std::bit_cast<uint64_t>(b.x)) << record;
  ASSERT_EQ(std::bit_cast<uint64_t>(a.y), std::bit_cast<uint64_t>(b.y)) << record;
  ASSERT_EQ(std::bit_cast<uint64_t>(a.h), std::bit_cast<uint64_t>(b.h)) << record;
}

// Every record made from a usual one by cutting it, or by putting or
// replacing one byte anywhere with one that matters to the split.
TEST(SimaRecord, QuickSplitMatchesTheGeneralOneNearUsualRecords) {
  const std::string bytes[] = {",", " ", "\t", "\"", "\x81", "\xff", "\x95", "\\",
                               "e", "-", "+",  "0",  ".",    "A",    "\0"s};
  for (const std::string& base :
       {"A01,123,P122,116142.4283,48150.5598,367.503,"s, "A01,1,T,1.0,2.0"s,
        "A01,12345678,NAME-OF-A-POINT-LONG-ENOUGH,-116142.4283,+48150.5598,0367.503,extra,x"s,
        "A01," + Sjis("表示点") + ",P,1.5,2.5,,"}) {
    for (std::size_t n = 0; n <= base.size(); ++n)
      ASSERT_NO_FATAL_FAILURE(ExpectSameParse(base.substr(0, n)));
    for (std::size_t i = 0; i <= base.size(); ++i) {
      for (const std::string& b : bytes) {
        ASSERT_NO_FATAL_FAILURE(ExpectSameParse(base.substr(0, i) + b + base.substr(i)));
        if (i < base.size()) {
          ASSERT_NO_FATAL_FAILURE(ExpectSameParse(base.substr(0, i) + b + base.substr(i + 1)));
        }
      }
    }
  }
}

// Random records of every shape: types, field counts, blanks, quotes, CP932
// characters and bad bytes, numbers of every form, lengths around the 16 and
// 64 bytes the quick split works in.
TEST(SimaRecord, QuickSplitMatchesTheGeneralOneOnRandomRecords) {
  std::mt19937 rng(20240611);
  auto pick = [&](auto const& list) { return list[rng() % std::size(list)]; };
  const std::string types[] = {"A01", "A01",  "A01", "A01",     " A01 ", "A01\t",
                               "a01", "A011", "",    "\"A01\"", "G00",   "A0"};
  const std::string numbers[] = {"116142.4283",
                                 "-48150.5598",
                                 "+367.503",
                                 "0",
                                 "-0",
                                 "007.50",
                                 ".5",
                                 "5.",
                                 "1e3",
                                 "1.0E-2",
                                 "--1",
                                 "12345678901234567890123.5",
                                 "9007199254740993",
                                 "0.000000000000000000000001",
                                 "1" + std::string(320, '0'),
                                 "1.2.3",
                                 "",
                                 "x"};
  const std::string texts[] = {"P122",
                               "123",
                               "",
                               "a,b",
                               Sjis("表示"),
                               Sjis("ｱｲｳ"),
                               "\x81",
                               "\x81\x40",
                               "\xff",
                               "\x80",
                               "\xa0",
                               "T\x81",
                               "\xfd\xfe",
                               std::string(30, 'N'),
                               std::string(70, 'L')};
  const std::string pads[] = {"", "", "", " ", "  ", "\t", " \t "};
  auto field = [&]() {
    std::string text = rng() % 2 ? pick(numbers) : pick(texts);
    switch (rng() % 16) {
      case 0:  // quoted, "" for a quote inside
        text = "\"" + text + (rng() % 2 ? "\"\"" : "") + "\"";
        break;
      case 1:  // a quote that is never closed, or one inside the text
        text = rng() % 2 ? "\"" + text : text + "\"" + text;
        break;
      default:
        break;
    }
    return pick(pads) + text + pick(pads);
  };
  int plain = 0;
  for (int k = 0; k < 200000; ++k) {
    std::string record = pick(types);
    const int fields = static_cast<int>(rng() % 9);
    for (int i = 0; i < fields; ++i) record += "," + field();
    if (rng() % 4 != 0) record += ",";
    if (rng() % 8 == 0) record += field();
    if (record.size() >= 16 && record.compare(0, 4, "A01,") == 0 &&
        record.find('"') == std::string::npos)
      ++plain;
    ASSERT_NO_FATAL_FAILURE(ExpectSameParse(record));
  }
  EXPECT_GT(plain, 20000) << "records of the quick split's kind";
}

TEST(SimaRecord, NumbersKeepTheirDecimalsAndWidth) {
  struct Case {
    std::string field;
    double value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"1078.144", 1078.644, "1078.644"},
      {" 1078.144", 1078.644, " 1078.644"},
      {"   1.5", 2.25, " 2.250"},             // fewer than 3 decimals: 3
      {"7", 7.125, "7.125"},                  // no decimals: 3, wider than the field
      {"9999.800", 10000.3, "10000.300"},     // grows: written whole
      {"  9999.800", 10000.3, " 10000.300"},  // grows into a blank
      {" 12.5 ", -0.0001, "-0.000 "},         // trailing blanks stay; negative keeps "-"
      {"\t1.00000", 1.123456, " 1.12346"},    // a tab is a blank; five decimals
      {"1.0000000000001", 2.0, "2.0000000000000"},
      {"-5.125", -5.0625, "-5.063"},  // an exact half rounds away from zero
  };
  for (const Case& c : cases) {
    std::string out = "<";
    sima::AppendNumberInField(c.field, c.value, out);
    EXPECT_EQ(out, "<" + c.expected) << "field \"" << c.field << '"';
  }
}

// Numbers the quick formatter cannot write (huge, tiny, many decimals) and
// numbers it can: each field gets what the general formatter writes with the
// field's decimals, and a whole record is its fields placed one by one.
TEST(SimaRecord, EveryNumberAsTheGeneralFormatterWritesIt) {
  const std::vector<std::string> fields = {
      "1.5", "  12.25  ", "\t-3.1234567890123 ", "7", " 0.000000000100000000001", "1.1234567890"};
  const std::vector<double> values = {0.0,
                                      -0.0,
                                      -1e-7,
                                      0.0005,
                                      2.675,
                                      123456.78949999,
                                      -9007199254740993.0,
                                      1.8e19,
                                      -9.87654321e22,
                                      1e300,
                                      5e-324,
                                      4503599627370495.5};
  for (const std::string& field : fields) {
    const std::size_t trail = field.size() - 1 - field.find_last_not_of(" \t");
    const NumberPattern pattern(
        "0." + std::string(static_cast<std::size_t>(sima::FieldDecimals(field)), '0'));
    for (double v : values) {
      const std::string text = pattern.Format(v);
      const std::size_t width = field.size() - trail;
      const std::string expected = std::string(width > text.size() ? width - text.size() : 0, ' ') +
                                   text + field.substr(field.size() - trail);
      std::string out;
      sima::AppendNumberInField(field, v, out);
      EXPECT_EQ(out, expected) << "field \"" << field << "\" value " << v;
    }
  }

  // A text written again replaces the one held, whichever formatter wrote it.
  sima::NumberText held;
  const NumberPattern three("0.000");
  for (double v : {1e300, 2.5, -1e25, -0.0, 1e300}) {
    held.Write(three, v);
    EXPECT_EQ(held, three.Format(v));
  }

  // Whole records, with the corrector's shifts, against their fields placed
  // one by one.
  struct Shift : PointCorrector {
    CorrectedPoint Correct(double x, double y, double h) const override {
      return {PointOutcome::kGrid, x * 1e12, y - 1e-9, h * 3, {}};
    }
  } shift;
  const std::vector<std::string> records = {
      "A01,1,P,1.5,2.5,3.5,", "A01, 2 ,\"N,1\",  7  ,\t-8.25\t, 9.123456789012 ,tail",
      "A01,3,P,1e0x,2,3,",    "A01,4,P,123456.7,0.0001,,",
      "A01,5,P,1,2",          "A01,6,P,1,2,   ,,,"};
  for (const std::string& rec : records) {
    std::string out;
    const sima::RecordResult r = sima::ConvertRecord(rec, shift, out);
    if (r.problem != Problem::kNone) {
      EXPECT_EQ(out, rec + "\r\n");
      continue;
    }
    const sima::PointFields& f = r.fields;
    std::string expected(rec.data(), f.x.data());
    sima::AppendNumberInField(f.x, r.x * 1e12, expected);
    expected.append(f.x.data() + f.x.size(), f.y.data());
    sima::AppendNumberInField(f.y, r.y - 1e-9, expected);
    const std::string_view last = f.hasH ? f.h : f.y;
    if (f.hasH) {
      expected.append(f.y.data() + f.y.size(), f.h.data());
      sima::AppendNumberInField(f.h, std::stod(std::string(f.h)) * 3, expected);
    }
    expected.append(last.data() + last.size(), rec.data() + rec.size());
    EXPECT_EQ(out, expected + "\r\n") << rec;
  }
}

TEST(SimaRecord, OnlyTheNumbersOfAConvertedPointChange) {
  FixedCorrector fixed;
  std::string out;
  const std::string rec = "A01, 2,T.2 , 1078.144, 1000.739, 268.971,tail,,";
  sima::RecordResult r = sima::ConvertRecord(rec, fixed, out);
  EXPECT_EQ(out, "A01, 2,T.2 , 1078.644, 1000.489, 269.096,tail,,\r\n");
  EXPECT_EQ(r.x2, "1078.644");
  EXPECT_EQ(r.h2, "269.096");

  out.clear();
  r = sima::ConvertRecord("A01,1,T,1.000,2.000,   ,", fixed, out);
  EXPECT_EQ(out, "A01,1,T,1.500,1.750,   ,\r\n") << "blank H stays blank";
  EXPECT_TRUE(r.h2.empty());

  // Every other record, a malformed point and a refused point: unchanged.
  fixed.outcome = PointOutcome::kNotConverted;
  for (const std::string& same :
       {std::string("B01,1,1,"), std::string("A01,1,T,1.0,2.0,3.0,"), std::string("A01,1,T,x,2,3,"),
        std::string("A01,1,T\x81,1.0,2.0,3.0,")}) {
    out.clear();
    r = sima::ConvertRecord(same, fixed, out);
    EXPECT_EQ(out, same + "\r\n");
    EXPECT_EQ(r.outcome, PointOutcome::kNotConverted);
  }
  EXPECT_EQ(r.reason, sima::ProblemText(Problem::kInvalidText));
}

// ---- runs of the test files ----

class SimaRun : public ::testing::TestWithParam<params::ConversionMode> {};

// The SIMA test file as worked out by hand, with its run report.
TEST_P(SimaRun, GoldenResultAndReport) {
  const bool mode1 = GetParam() == params::ConversionMode::kGridThenRep;
  auto dir = FreshDir(mode1 ? "sima_mode1" : "sima_mode2");
  Harness h(dir);
  h.outPath = dir / "pts_2011.sim";
  h.mode = GetParam();
  h.format = InputFormat::kSima;
  h.Choose(DataFile("points.sim"));
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  EXPECT_EQ(h.Result(), ReadBytes(DataFile(mode1 ? "points_mode1.sim" : "points_mode2.sim")));
  EXPECT_TRUE(h.messages.boxes.empty());
  EXPECT_EQ(h.view.dialogStatus.back().first, FinishedText(23));

  // 13 points: 6, 7, 9 and 10 malformed, 4 outside the grid.
  EXPECT_EQ(h.totals.lines, 23);
  EXPECT_EQ(h.totals.points, 13);
  EXPECT_EQ(h.totals.notConverted, mode1 ? 4 : 5);
  ASSERT_EQ(h.totals.firstNotConverted.size(), mode1 ? 4u : 5u);
  EXPECT_EQ(h.totals.firstNotConverted[0],
            mode1 ? "ﾚｺｰﾄﾞ 10: 点番号 6  点名 短い  (項目が足りません)"
                  : "ﾚｺｰﾄﾞ 8: 点番号 4  点名 範囲外  (変換パラメータの範囲外)");
  EXPECT_EQ(h.totals.reportPath, (dir / "pts_2011_report.txt").string());

  const std::string report = ReadBytes(dir / "pts_2011_report.txt");
  // The whole report, byte for byte: its numbers are those of the result files.
  EXPECT_EQ(report,
            ReadBytes(DataFile(mode1 ? "points_mode1_report.txt" : "points_mode2_report.txt")));
  EXPECT_TRUE(IsValidCp932(report)) << "the bad name is shown as \"?\"";
  const std::vector<std::string> lines = CrLfLines(Cp932ToUtf8(report));
  ASSERT_EQ(lines.size(), 10u + 13u + 2u);  // header, one line per point, summary
  EXPECT_NE(lines[2].find("points.sim"), std::string::npos);
  EXPECT_NE(lines[3].find("pts_2011.sim"), std::string::npos);
  EXPECT_EQ(lines[10],
            "       5 1        T.1                    1078.144       1000.739        268.971"
            "       1078.644       1000.489        269.096  変換ﾊﾟﾗﾒｰﾀ");
  EXPECT_NE(lines[13].find(mode1 ? "20001.250        502.000          9.500  代表点"
                                 : "未変換 (変換パラメータの範囲外)"),
            std::string::npos);
  EXPECT_NE(lines[15].find("未変換 (項目が足りません)"), std::string::npos);
  EXPECT_NE(lines.back().find(mode1 ? "代表点 : 1    未変換 : 4" : "代表点 : 0    未変換 : 5"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Modes, SimaRun,
                         ::testing::Values(params::ConversionMode::kGridOnly,
                                           params::ConversionMode::kGridThenRep));

// A run cancelled at its first progress step keeps the records and report
// lines written so far; a report that would overwrite the input stops the run
// before anything is converted.
TEST(SimaRunFiles, CancelAndAReportNamedLikeTheInput) {
  auto dir = FreshDir("sima_cancel");
  std::string big;
  for (int i = 0; i < 1500; ++i) big += "A01," + std::to_string(i) + ",P,1.000,2.000,3.000,\r\n";
  WriteBytes(dir / "big.sim", big);
  Harness h(dir);
  h.outPath = dir / "big_2011.sim";
  h.format = InputFormat::kSima;
  h.view.onYield = [&](ViewRecorder&) { h.cancel = true; };
  h.Choose(dir / "big.sim");
  ASSERT_EQ(h.Run(false), RunOutcome::kCancelled);
  EXPECT_EQ(CrLfLines(h.Result()).size(), 100u);
  EXPECT_EQ(CrLfLines(ReadBytes(dir / "big_2011_report.txt")).size(), 10u + 100u);

  WriteBytes(dir / "r_report.txt", big);
  Harness same(dir);
  same.outPath = dir / "r.sim";
  same.format = InputFormat::kSima;
  same.Choose(dir / "r_report.txt");
  EXPECT_EQ(same.Run(false), RunOutcome::kOtherError);
  EXPECT_EQ(ReadBytes(dir / "r_report.txt"), big);
  ASSERT_EQ(same.messages.boxes.size(), 1u);
  EXPECT_NE(same.messages.boxes[0].text.find("報告ファイル"), std::string::npos);
}

// A report that cannot be written stops the run with a message that names
// the report, not the result file (whose lines it would miscount); the result
// file keeps its whole lines. A file size limit stands for a full disk, in a
// child process, the only one the limit applies to.
TEST(SimaRunFiles, AReportThatCannotBeWrittenIsNamed) {
  auto dir = FreshDir("sima_fsize");
  std::string in;
  for (int i = 0; i < 1000; ++i) in += "A01," + std::to_string(i) + ",P,1.000,2.000,3.000,\r\n";
  WriteBytes(dir / "in.sim", in);
  constexpr rlim_t kLimit = 60000;  // the records fit, their report lines do not
  const LimitedRun run = RunUnderFileSizeLimit(kLimit, [&] {
    Harness h(dir);
    h.outPath = dir / "out.sim";
    h.format = InputFormat::kSima;
    h.Choose(dir / "in.sim");
    const RunOutcome outcome = h.Run(false);
    return std::pair(outcome == RunOutcome::kOtherError,
                     h.messages.boxes.empty() ? std::string() : h.messages.boxes[0].text);
  });
  ASSERT_TRUE(run.asExpected) << run.text;
  const std::string& box = run.text;
  EXPECT_NE(box.find("報告ファイル"), std::string::npos) << box;
  EXPECT_NE(box.find("out_report.txt"), std::string::npos) << box;
  EXPECT_NE(box.find("空き容量"), std::string::npos) << box;
  EXPECT_EQ(box.find("結果ファイル"), std::string::npos) << box;
  const std::string result = ReadBytes(dir / "out.sim");
  EXPECT_TRUE(result.empty() || result.ends_with("\r\n"));
  EXPECT_LE(ReadBytes(dir / "out_report.txt").size(), kLimit);
}

// The report's name may be taken by something else than a regular file: a
// FIFO (opening it for writing would wait for a reader for ever; one is open
// here, so that a run that wrote to it would not hang this test but finish)
// or a link to the result file (the two writers would interleave in it).
// Either stops the run before a record is written, with a message that says
// why.
TEST(SimaRunFiles, AReportNameTakenByAFifoOrTheResultStopsTheRun) {
  auto dir = FreshDir("sima_report_taken");
  WriteBytes(dir / "in.sim", "A01,1,P,1.000,2.000,3.000,\r\nA01,2,Q,4.000,5.000,,\r\n");
  auto run = [&](const char* expected) {
    Harness h(dir);
    h.outPath = dir / "out.sim";
    h.format = InputFormat::kSima;
    h.Choose(dir / "in.sim");
    EXPECT_EQ(h.Run(false), RunOutcome::kOtherError) << expected;
    ASSERT_EQ(h.messages.boxes.size(), 1u) << expected;
    const std::string& box = h.messages.boxes[0].text;
    EXPECT_NE(box.find("報告ファイル"), std::string::npos) << box;
    EXPECT_NE(box.find(expected), std::string::npos) << box;
    EXPECT_EQ(h.Result(), "");
  };
  const std::filesystem::path report = dir / "out_report.txt";
  ASSERT_EQ(::mkfifo(report.c_str(), 0600), 0);
  const int reader = ::open(report.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  run("FIFO");
  char byte;
  EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing was written into the FIFO";
  ::close(reader);
  std::filesystem::remove(report);

  std::filesystem::create_symlink("out.sim", report);
  run("結果ファイルと同じ");
}

// The same points as CSV and as blank-separated text give the same result
// file, in every layout; either file read in the other format yields no point.
TEST(CsvRun, SameResultAsTheTextFileAndNoPointInTheWrongFormat) {
  auto dir = FreshDir("csv_run");
  WriteBytes(dir / "bl.in", Sjis("370856.1234  1395201.9876   123.456  剣岳\r\n"));
  WriteBytes(dir / "bl.csv", Sjis("370856.1234,1395201.9876 , 123.456,剣岳\r\n"));
  struct Case {
    const char* text;
    const char* csv;
    Process process;
  };
  const std::string in = DataFile("same_points.in").string(),
                    csv = DataFile("same_points.csv").string();
  for (const Case& c : {Case{in.c_str(), csv.c_str(), Process::kXy},
                        Case{in.c_str(), csv.c_str(), Process::kXyBl}}) {
    for (bool withInput : {false, true}) {
      std::vector<std::string> results;
      for (InputFormat f : {InputFormat::kText, InputFormat::kCsv}) {
        Harness h(dir);
        h.process = c.process;
        h.withInput = withInput;
        h.format = f;
        h.Choose(f == InputFormat::kText ? c.text : c.csv);
        ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
        EXPECT_EQ(h.totals.points, 4);
        std::vector<std::string> lines = CrLfLines(h.Result());
        lines.erase(lines.begin() + 5);  // names the input file
        results.push_back(Cp932ToUtf8(
            std::accumulate(lines.begin(), lines.end(), std::string(),
                            [](std::string a, const std::string& b) { return a + b + "\n"; })));
      }
      EXPECT_EQ(results[0], results[1]);
    }
  }
  std::vector<std::string> bl;
  for (const char* name : {"bl.in", "bl.csv"}) {
    Harness h(dir);
    h.process = Process::kBl;
    h.format = std::string(name) == "bl.csv" ? InputFormat::kCsv : InputFormat::kText;
    h.Choose(dir / name);
    ASSERT_EQ(h.Run(true), RunOutcome::kFinished);
    bl.push_back(CrLfLines(h.Result()).back());
  }
  EXPECT_EQ(bl[0], bl[1]);
  EXPECT_NE(Cp932ToUtf8(bl[0]).find("     剣岳  "), std::string::npos);

  for (const auto& [file, format] :
       {std::pair{in, InputFormat::kCsv}, std::pair{csv, InputFormat::kText}}) {
    Harness h(dir);
    h.format = format;
    h.Choose(file);
    ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
    EXPECT_EQ(h.totals.lines, 8);
    EXPECT_EQ(h.totals.points, 0);
    EXPECT_NE(RunWarningText(h.totals, format), "");
  }
}

// ---- the report ----

TEST(SimaReport, PathHeaderAndSummary) {
  EXPECT_EQ(sima::ReportPathFor("/d/pts.sim"), "/d/pts_report.txt");
  EXPECT_EQ(sima::ReportPathFor("/d.x/pts"), "/d.x/pts_report.txt");
  EXPECT_EQ(sima::ReportPathFor("C:\\d.x\\pts.2011.sim"), "C:\\d.x\\pts.2011_report.txt");

  sima::ReportHeader h;
  h.inFileName = Sjis("現場.sim");
  h.outFileName = "out.sim";
  h.paraFileName = "Veltra.par";
  h.paraVersion = "1.0";
  h.zoneNo = 9;
  h.mode = 1;
  std::string out;
  sima::AppendReportHeader(h, out);
  sima::ReportCounts c{12, 9, 1, 2};
  sima::AppendReportSummary(c, out);
  const std::string text = Cp932ToUtf8(out);
  EXPECT_NE(text.find("入力ファイル           : 現場.sim\r\n"), std::string::npos);
  EXPECT_NE(text.find(": Veltra.par   1.0\r\n"), std::string::npos);
  EXPECT_NE(text.find(":  9 系\r\n"), std::string::npos);
  EXPECT_NE(text.find("代表点)"), std::string::npos);
  EXPECT_NE(text.find("A01 点数 : 12    変換ﾊﾟﾗﾒｰﾀ : 9    代表点 : 1    未変換 : 2\r\n"),
            std::string::npos);
}

// Report lines and warning lines of awkward points, byte for byte: names that
// are long, quoted, not CP932 or hold control bytes, numbers wider than their
// column, empty and missing H, and every outcome.
TEST(SimaReport, LinesOfAwkwardPointsByteForByte) {
  struct Case {
    std::string record;
    PointOutcome outcome;
    std::string reason;
  };
  const auto grid = PointOutcome::kGrid, rep = PointOutcome::kRep,
             refused = PointOutcome::kNotConverted;
  const std::vector<Case> cases = {
      {"A01,1,T.1,1078.144,1000.739,268.971,", grid, ""},
      {"A01,  22 ,  " + Sjis("表示") + "  ,   -0.100,  -5.000 ,\t7.5,", rep, ""},
      {"A01,3,\"" + Sjis("北") + ",\"\"x\"\"\",1.000,2.000,3.000,", grid, ""},
      {"A01,1234567890,ABCDEFGHIJKLMNOPQRSTU" + Sjis("長い名前") + ",1.0,2.0,3.0,", grid, ""},
      {"A01,5,E,1.000,2.000,,", grid, ""},
      {"A01,6,N,1.000,2.000", rep, ""},
      {"A01,7,B,1.000,2.000,   ,", grid, ""},
      {"A01,8,W,12345678901.1234567,-2.0000000000001,99999999999.5,", grid, ""},
      {"A01,9,T\x81,1.0,2.0,3.0,", grid, ""},
      {"A01,10,X,1.0\xff,2.0,3.0,", grid, ""},
      {"A01,11,F,1.0", grid, ""},
      {"A01,12,\"open,1.0,2.0,3.0,", grid, ""},
      {"A01,13,Esc\x1b[2J,1.0,2.0,3.0,", refused, "no"},
      {"A01,14," + Sjis("範囲外") + ",20000.000,500.000,10.000,", refused,
       "変換パラメータの範囲外"},
      {"A01,,,1.0,2.0,,", refused, "計算できません"},
  };
  std::string report, warnings;
  long long recordNo = 1;
  for (const Case& c : cases) {
    FixedCorrector corrector;
    corrector.outcome = c.outcome;
    corrector.reason = c.reason;
    std::string out;
    const sima::RecordResult r = sima::ConvertRecord(c.record, corrector, out);
    sima::AppendReportLine(recordNo, r, report);
    if (r.outcome == PointOutcome::kNotConverted)
      warnings += sima::NotConvertedLine(recordNo, r) + "\n";
    recordNo = recordNo * 10 + 1;
  }
  EXPECT_EQ(
      report,
      Sjis("       1 1        T.1                    1078.144       1000.739        268.971       "
           "1078.644       1000.489        269.096  変換ﾊﾟﾗﾒｰﾀ\r\n"
           "      11 22       表示                     -0.100         -5.000            7.5        "
           "  0.400         -5.250          7.625  代表点\r\n"
           "     111 3        \"北,\"\"x\"\"\"                1.000          2.000          3.000  "
           "        1.500          1.750          3.125  変換ﾊﾟﾗﾒｰﾀ\r\n"
           "    1111 1234567890 ABCDEFGHIJKLMNOPQRSTU長い名前            1.0            2.0        "
           "    3.0          1.500          1.750          3.125  変換ﾊﾟﾗﾒｰﾀ\r\n"
           "   11111 5        E                         1.000          2.000                       "
           "  1.500          1.750                 変換ﾊﾟﾗﾒｰﾀ\r\n"
           "  111111 6        N                         1.000          2.000                       "
           "  1.500          1.750                 代表点\r\n"
           " 1111111 7        B                         1.000          2.000                       "
           "  1.500          1.750                 変換ﾊﾟﾗﾒｰﾀ\r\n"
           "11111111 8        W                12345678901.1234567 -2.0000000000001  99999999999.5 "
           "12345678901.6234570 -2.2500000000001 99999999999.625  変換ﾊﾟﾗﾒｰﾀ\r\n"
           "111111111 9        T?                          1.0            2.0            3.0       "
           "                                        未変換 "
           "(点番号または点名に不正な文字コードがあります)\r\n"
           "1111111111 10       X                          1.0?            2.0            3.0      "
           "                                         未変換 (X が数値ではありません)\r\n"
           "11111111111 11       F                           1.0                                   "
           "                                          未変換 (項目が足りません)\r\n"
           "111111111111 12       \"open,1.0,2.0,3.0,                                              "
           "                                              未変換 (引用符 \" が閉じていません)\r\n"
           "1111111111111 13       Esc\x1b[2J                     1.0            2.0            "
           "3.0                                               未変換 (no)\r\n"
           "11111111111111 14       範囲外                20000.000        500.000         10.000  "
           "                                             未変換 (変換パラメータの範囲外)\r\n"
           "111111111111111                                      1.0            2.0                "
           "                                              未変換 (計算できません)\r\n"));
  EXPECT_EQ(
      warnings,
      "ﾚｺｰﾄﾞ 111111111: 点番号 9  点名 T\xef\xbf\xbd  "
      "(点番号または点名に不正な文字コードがあります)\n"
      "ﾚｺｰﾄﾞ 1111111111: 点番号 10  点名 X  (X が数値ではありません)\n"
      "ﾚｺｰﾄﾞ 11111111111: 点番号 11  点名 F  (項目が足りません)\n"
      "ﾚｺｰﾄﾞ 111111111111: 点番号 12  点名 \"open,1.0,2.0,3.0,  (引用符 \" が閉じていません)\n"
      "ﾚｺｰﾄﾞ 1111111111111: 点番号 13  点名 Esc?[2J  (no)\n"
      "ﾚｺｰﾄﾞ 11111111111111: 点番号 14  点名 範囲外  (変換パラメータの範囲外)\n"
      "ﾚｺｰﾄﾞ 111111111111111: 点番号   点名   (計算できません)\n");
}

// ---- the closing warning ----

TEST(RunWarning, NoPointAtAllOrPointsLeftUnconverted) {
  RunTotals t;
  EXPECT_EQ(RunWarningText(t, InputFormat::kCsv), "") << "an empty input is no warning";
  t.lines = 3;
  const std::string none = RunWarningText(t, InputFormat::kCsv);
  EXPECT_NE(none.find("点として読めた行が1行もありませんでした。"), std::string::npos);
  EXPECT_NE(none.find("「CSV」"), std::string::npos);
  EXPECT_NE(RunWarningText(t, InputFormat::kSima).find("「SIMA座標ﾃﾞｰﾀ」"), std::string::npos);
  t.points = 1;
  EXPECT_EQ(RunWarningText(t, InputFormat::kText), "");

  FixedCorrector refuse;
  refuse.outcome = PointOutcome::kNotConverted;
  std::string out;
  const std::string rec = "A01, 4 ," + Sjis("範囲外") + "\x1b[2J,1.0,2.0,,";
  const sima::RecordResult r = sima::ConvertRecord(rec, refuse, out);  // views into rec
  t.notConverted = 12;
  t.firstNotConverted.assign(RunTotals::kListed, sima::NotConvertedLine(8, r));
  t.reportPath = "/d/pts_2011_report.txt";
  const std::string w = RunWarningText(t, InputFormat::kSima);
  EXPECT_EQ(w.find("変換できなかった点が 12 点あります。"), 0u);
  EXPECT_NE(w.find("\r\n  ﾚｺｰﾄﾞ 8: 点番号 4  点名 範囲外?[2J  (no)\r\n"), std::string::npos)
      << "the escape character of the name is not passed to the screen";
  EXPECT_NE(w.find("\r\n  ほか 2 点\r\n"), std::string::npos);
  EXPECT_NE(w.find("/d/pts_2011_report.txt"), std::string::npos);
}

// ---- CSV ----

TEST(CsvLine, SplitsAtCommasAndKeepsTheName) {
  LineFields f = SplitCsvLine(" 1.5 ,\t-2 , 3,  name, with ,commas  ");
  ASSERT_EQ(f.k, 4);
  EXPECT_EQ(f.field[0], "1.5");
  EXPECT_EQ(f.field[1], "-2");
  EXPECT_EQ(f.field[2], "3");
  EXPECT_EQ(f.field[3], "  name, with ,commas  ");
  f = SplitCsvLine("1,2,3,");
  EXPECT_EQ(f.k, 4);
  EXPECT_EQ(f.field[3], "");
  EXPECT_EQ(SplitCsvLine("1,2").k, 2);
  EXPECT_EQ(SplitCsvLine("1,2,").k, 3);

  LineFields g;
  EXPECT_EQ(ClassifyCsvLine("", g), LineKind::kEmpty);
  EXPECT_EQ(ClassifyCsvLine("#1,2,3", g), LineKind::kComment);
  EXPECT_EQ(ClassifyCsvLine("X,Y,H," + Sjis("点名"), g), LineKind::kOther);
  EXPECT_EQ(ClassifyCsvLine("1.0 2.0 3.0", g), LineKind::kOther);  // blank-separated
  EXPECT_EQ(ClassifyCsvLine("1.0", g), LineKind::kOther);
  EXPECT_EQ(ClassifyCsvLine("   ", g), LineKind::kOther);
  EXPECT_EQ(ClassifyCsvLine("1.0,2.0", g), LineKind::kData);  // H missing: the run decides
  EXPECT_EQ(ClassifyCsvLine("+1.0 , -2.0 ,3", g), LineKind::kData);
}

// The CSV file and the text file of the same points split into the same
// fields, line by line.
TEST(CsvLine, SameFieldsAsTheBlankSeparatedFile) {
  const auto text = CrLfLines(ReadBytes(DataFile("same_points.in")));
  const auto csv = CrLfLines(ReadBytes(DataFile("same_points.csv")));
  ASSERT_EQ(text.size(), csv.size());
  int data = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    LineFields a, b;
    const LineKind ka = ClassifyLine(text[i], a);
    ASSERT_EQ(ka, ClassifyCsvLine(csv[i], b)) << "line " << i + 1;
    if (ka != LineKind::kData) continue;
    ++data;
    ASSERT_EQ(a.k, b.k) << "line " << i + 1;
    for (int k = 0; k < a.k; ++k) EXPECT_EQ(a.field[k], b.field[k]) << "line " << i + 1;
  }
  EXPECT_EQ(data, 4);
}

}  // namespace
}  // namespace varno::batch
