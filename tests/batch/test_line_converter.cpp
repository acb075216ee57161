// The line converter on its own: outcomes, the messages a line raises, the
// error that stops a run, agreement with the run driver, and conversion of
// different lines on several threads at once.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "batch/convert.h"
#include "batch/line_converter.h"
#include "batch_test_util.h"
#include "text/errors.h"

namespace varno::batch {
namespace {

using namespace varno::batch::testing;

constexpr std::size_t kXyHeaderLinesWithAngles = 11;

// Grid only, X/Y without angles or input columns, zone 9.
RunSettings Defaults(const params::ParamStore& store) {
  return {store, params::ConversionMode::kGridOnly, Process::kXy, false, geo::GeoState{}};
}

struct Converted {
  std::string bytes;
  LineOutcome outcome;
  std::vector<LineMessage> messages;
  bool failed;
  LinePoint point;
  std::string report, notConverted;  // SIMA records
};

Converted ConvertOne(const LineConverter& c, std::string_view line,
                     const PreparedLine* prepared = nullptr) {
  LineResult r;
  Converted out;
  out.bytes = "kept";
  c.Convert(line, 7, out.bytes, r, prepared);
  out.outcome = r.outcome;
  for (std::size_t i = 0; i < r.messages.size(); ++i) out.messages.push_back(r.messages[i]);
  out.failed = static_cast<bool>(r.error);
  out.point = r.point;
  out.report = r.report;
  out.notConverted = r.notConverted;
  return out;
}

TEST(LineConverter, OutcomesPointsAndMessagesOfEachKindOfLine) {
  const params::ParamStore store = MakeConstantGrid();
  RunSettings s = Defaults(store);
  const LineConverter xy(s, Converter::kXy);
  const LineConverter bl(s, Converter::kBl);

  const Converted comment = ConvertOne(xy, "# a comment");
  EXPECT_EQ(comment.bytes, "kept# a comment\r\n");
  EXPECT_EQ(comment.outcome, LineOutcome::kCopied);
  EXPECT_TRUE(comment.messages.empty());
  EXPECT_EQ(comment.point.lineNumber, 7);

  const Converted grid = ConvertOne(xy, "1000 2000 3 P1");
  EXPECT_EQ(grid.outcome, LineOutcome::kGrid);
  EXPECT_EQ(grid.bytes.substr(0, 4), "kept");
  EXPECT_EQ(grid.bytes.substr(grid.bytes.size() - 2), "\r\n");
  ASSERT_EQ(grid.messages.size(), 2u);  // colour, then the grid text
  EXPECT_EQ(grid.messages[0].kind, LineMessage::Kind::kStatusColor);
  EXPECT_EQ(grid.messages[0].color, colors::kLightYellow);
  EXPECT_EQ(grid.messages[1].kind, LineMessage::Kind::kStatusText);
  EXPECT_NE(grid.messages[1].Text().find("「地域毎の変換ﾊﾟﾗﾒｰﾀ」で変換しました。"),
            std::string_view::npos);
  EXPECT_EQ(grid.point.name, "P1");
  EXPECT_TRUE(grid.point.hasPlane && grid.point.corrected);
  EXPECT_EQ(grid.point.x, 1000);
  EXPECT_EQ(grid.point.x2, 1000.5);
  EXPECT_EQ(grid.point.y2, 1999.75);

  const Converted outside = ConvertOne(xy, "50000 2000 3");
  EXPECT_EQ(outside.outcome, LineOutcome::kNotConverted);
  EXPECT_NE(outside.bytes.find("Out of range"), std::string::npos);
  EXPECT_FALSE(outside.point.corrected);

  const Converted range = ConvertOne(bl, "390001.0 1395000.0 1.0");
  EXPECT_EQ(range.outcome, LineOutcome::kRangeFailure);
  ASSERT_EQ(range.messages.size(), 2u);
  EXPECT_EQ(range.messages[0].Text(), RangeMessage(true, 9));
  EXPECT_EQ(range.messages[1].color, colors::kDarkRed);
  EXPECT_FALSE(range.point.hasPlane);

  RunSettings rep = s;
  rep.mode = params::ConversionMode::kRepOnly;
  const Converted r = ConvertOne(LineConverter(rep, Converter::kBl), "360000.0 1395000.0 1.0");
  EXPECT_EQ(r.outcome, LineOutcome::kRep);
  EXPECT_TRUE(r.point.hasPlane);
  EXPECT_EQ(r.point.x, 0.0);
  EXPECT_EQ(r.point.x2, 1.25);
}

TEST(LineConverter, AnErrorLeavesTheBufferAsItWasAndKeepsEarlierMessages) {
  const params::ParamStore store = MakeConstantGrid();
  RunSettings s = Defaults(store);
  const LineConverter xy(s, Converter::kXy);
  const Converted bad = ConvertOne(xy, "1000 2000 3x");  // field 3 is no number
  EXPECT_TRUE(bad.failed);
  EXPECT_EQ(bad.bytes, "kept");

  // An input point far off breaks the inverse (a green status, the run goes
  // on), then overflows in the representative shift, which stops the run:
  // the status raised before the error is kept.
  params::ParamStore huge = MakeConstantGrid();
  huge.repDx = 1.7e308;
  RunSettings rep = Defaults(huge);
  rep.mode = params::ConversionMode::kRepOnly;
  LineResult res;
  std::string out;
  const std::string far = "17" + std::string(307, '0');  // 1.7e308, digits only
  LineConverter(rep, Converter::kXy).Convert(far + " 0 0", 1, out, res);
  ASSERT_TRUE(res.error);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(res.messages.size(), 2u);
  EXPECT_EQ(res.messages[0].color, colors::kGreen);
  EXPECT_EQ(res.messages[1].Text(), params::kXy2blOverflowText);
  EXPECT_THROW(std::rethrow_exception(res.error), OverflowError);
  // The next line starts afresh.
  LineConverter(rep, Converter::kXy).Convert("#", 2, out, res);
  EXPECT_FALSE(res.error);
  EXPECT_TRUE(res.messages.empty());
}

// The corrected point's inverse projection reports its failure in every X/Y
// process and in SIMA records, also where latitude and longitude are not
// shown; a point near the origin raises only the correction's own messages.
TEST(LineConverter, TheCorrectedPointsInverseReportsWhetherOrNotAnglesAreShown) {
  params::ParamStore store = MakeConstantGrid();
  store.repDx = store.repDy = 1e300;  // the representative shift carries the point far off
  struct Case {
    Process process;
    InputFormat format;
    const char* line;
  };
  for (const Case& c : {Case{Process::kXy, InputFormat::kText, "1000 2000 3 P"},
                        Case{Process::kXyBl, InputFormat::kText, "1000 2000 3 P"},
                        Case{Process::kXy, InputFormat::kSima, "A01,1,P,1000.0,2000.0,3.0,"}}) {
    SCOPED_TRACE(c.line);
    RunSettings s = Defaults(store);
    s.process = c.process;
    s.format = c.format;
    s.mode = params::ConversionMode::kRepOnly;
    const Converted far = ConvertOne(LineConverter(s, Converter::kXy), c.line);
    EXPECT_FALSE(far.failed);
    ASSERT_EQ(far.messages.size(), 3u);
    EXPECT_EQ(far.messages[1].color, colors::kGreen);
    EXPECT_EQ(far.messages[2].Text(), params::kXy2blOverflowText);

    s.mode = params::ConversionMode::kGridOnly;
    const Converted near = ConvertOne(LineConverter(s, Converter::kXy), c.line);
    ASSERT_EQ(near.messages.size(), 2u);
    EXPECT_EQ(near.outcome, LineOutcome::kGrid);
  }
}

// The driver writes, line for line, what the converter gives, and tells the
// observer of each line in input order.
TEST(LineConverter, TheRunWritesWhatTheConverterGivesAndObservesEveryLine) {
  struct Recorder : LineObserver {
    std::vector<long> lines;
    std::vector<LineOutcome> outcomes;
    std::vector<std::string> names;
    void OnLine(const LineResult& r) override {
      lines.push_back(r.point.lineNumber);
      outcomes.push_back(r.outcome);
      names.emplace_back(r.point.name);
    }
  };
  auto dir = FreshDir("line_converter_run");
  const std::string input = "# c\r\n1000 2000 3 A\r\n50000 0 1 B\r\n\r\n-1000 -2000 3 C\r\n";
  WriteBytes(dir / "in.txt", input);
  Harness h(dir);
  h.process = Process::kXyBl;
  h.withInput = true;
  Recorder rec;
  h.observer = &rec;
  h.Choose(dir / "in.txt");
  ASSERT_EQ(h.Run(false), RunOutcome::kFinished);
  const auto result = CrLfLines(h.Result());

  const RunSettings s = h.Settings();
  const LineConverter c(s, Converter::kXy);
  const auto in = CrLfLines(input);
  ASSERT_EQ(result.size(), kXyHeaderLinesWithAngles + in.size());
  LineResult r;
  for (std::size_t i = 0; i < in.size(); ++i) {
    std::string line;
    c.Convert(in[i], static_cast<long>(i + 1), line, r);
    EXPECT_EQ(line, result[kXyHeaderLinesWithAngles + i] + "\r\n") << "line " << i + 1;
  }
  EXPECT_EQ(rec.lines, (std::vector<long>{1, 2, 3, 4, 5}));
  EXPECT_EQ(rec.outcomes, (std::vector<LineOutcome>{LineOutcome::kCopied, LineOutcome::kGrid,
                                                    LineOutcome::kNotConverted,
                                                    LineOutcome::kCopied, LineOutcome::kGrid}));
  EXPECT_EQ(rec.names, (std::vector<std::string>{"", "A", "B", "", "C"}));
}

// One converter, several threads, different lines: the same bytes and
// outcomes as one thread gives.
TEST(LineConverter, ThreadsSharingOneConverterAgreeWithOneThread) {
  const params::ParamStore store = MakeConstantGrid();
  RunSettings s = Defaults(store);
  s.mode = params::ConversionMode::kGridThenRep;
  s.process = Process::kXyBl;
  s.withInputValues = true;
  const LineConverter c(s, Converter::kXy);
  std::vector<std::string> lines;
  for (int i = 0; i < 4000; ++i)
    lines.push_back(std::to_string(-12000 + i * 6.125) + " " + std::to_string(9000 - i * 4.5) +
                    " " + std::to_string(i) + " N" + std::to_string(i));
  auto convertAll = [&](std::size_t from, std::size_t step, std::vector<std::string>& out) {
    LineResult r;
    for (std::size_t i = from; i < lines.size(); i += step) {
      c.Convert(lines[i], static_cast<long>(i + 1), out[i], r);
      out[i] += static_cast<char>('0' + static_cast<int>(r.outcome));
    }
  };
  std::vector<std::string> one(lines.size()), many(lines.size());
  convertAll(0, 1, one);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < 4; ++t) threads.emplace_back(convertAll, t, 4, std::ref(many));
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(one, many);
}

// Preparing reads any line, however hostile, without a fault (the sanitizer
// build checks the arithmetic), and a line converted from what was prepared
// is the same in every respect as one converted from scratch.
TEST(LineConverter, PreparedLinesConvertAsLinesFromScratch) {
  params::ParamStore store = MakeConstantGrid();
  store.index = params::GridIndex::Build(store);
  ASSERT_NE(store.index, nullptr);
  const std::string_view lines[] = {
      "",
      " ",
      ",,,",
      "nan nan 0 P",
      "inf -inf 0 P",
      "1e308 1e308 0 P",
      "-1e308,-1e308,0,P",
      "360000.00000 1395000.00000 10 P",
      "360100.5 1395030.25 12.5 name  with blanks ",
      "360100.5,1395030.25,12.5,N",
      "355900 1394900 0",
      "370000 1400000 0 far from the grid",
      "360000 1395000 x bad height",
      "360000 1395000",
      "366000 1395000 0 sixty minutes",
      "100000 1395000 0 outside the window",
      "360000 1600000 0 outside the window",
      "4e-320 -0 0 P",
      "99999999999 1 1",
      "1.5",
      "0x10 0x10",
      "2000.1 -300.5 12.3 P1",
      " 2000.1, -300.5 ,12.3,P1",
      "\x81\\ 2000 1",
      "A01,1,P1,2000.1,-300.5,12.3,",
      "A01,1,\"a,b\",2000.1,-300.5,",
      "A01,,,",
      "A01,1,P,1e308,-1e308",
      "A01, 2 ,\"Q\", 1000.125 , -2000.5, 12.000 ,",
      "A01,3,R,40000,40000,,",
      "A01,4,S,x,1,2,",
      "A01,5,\"T",
      "G00,01,job,",
      "D00,1,A,1,",
  };
  for (params::ConversionMode mode :
       {params::ConversionMode::kGridOnly, params::ConversionMode::kGridThenRep,
        params::ConversionMode::kRepOnly}) {
    for (InputFormat format : {InputFormat::kText, InputFormat::kCsv, InputFormat::kSima}) {
      for (Converter conv : {Converter::kBl, Converter::kXy}) {
        RunSettings s = Defaults(store);
        s.mode = mode;
        s.format = format;
        s.withInputValues = true;
        const LineConverter c(s, conv);
        int prepared = 0;
        for (std::string_view line : lines) {
          SCOPED_TRACE(line);
          const Converted scratch = ConvertOne(c, line);
          PreparedLine a;
          c.Prepare(line, a);
          prepared += a.ready;
          const Converted after = ConvertOne(c, line, &a);
          EXPECT_EQ(scratch.bytes, after.bytes);
          EXPECT_EQ(scratch.outcome, after.outcome);
          EXPECT_EQ(scratch.failed, after.failed);
          EXPECT_EQ(scratch.report, after.report);
          EXPECT_EQ(scratch.notConverted, after.notConverted);
          ASSERT_EQ(scratch.messages.size(), after.messages.size());
          for (std::size_t i = 0; i < scratch.messages.size(); ++i) {
            EXPECT_EQ(scratch.messages[i].Text(), after.messages[i].Text());
            EXPECT_EQ(scratch.messages[i].color, after.messages[i].color);
          }
          const LinePoint &p = scratch.point, &q = after.point;
          EXPECT_TRUE(p.in1 == q.in1 && p.in2 == q.in2 && p.inH == q.inH && p.name == q.name &&
                      p.hasPlane == q.hasPlane && p.x == q.x && p.y == q.y &&
                      p.corrected == q.corrected && p.x2 == q.x2 && p.y2 == q.y2 && p.h2 == q.h2);
        }
        // Data lines and records are prepared (latitudes and longitudes
        // inside the window), except where no grid record is ever looked up.
        EXPECT_EQ(prepared > 0, mode != params::ConversionMode::kRepOnly);
      }
    }
  }
}

}  // namespace
}  // namespace varno::batch
