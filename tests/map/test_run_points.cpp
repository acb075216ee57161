// The points of a batch run as the picture records them: one per data line,
// in input order, with the outcome the result file shows for that line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../batch/batch_test_util.h"
#include "map/legend.h"
#include "map/recorder.h"
#include "map/svg.h"
#include "map_test_util.h"

namespace varno::map {
namespace {

using batch::testing::CrLfLines;
using batch::testing::FreshDir;
using batch::testing::Harness;
using batch::testing::WriteBytes;

const std::string kRepCp932 = "*\x91\xe3\x95\x5c\x93\x5f";  // *代表点

// The outcome a data line of the result file shows.
Outcome FromResultLine(const std::string& line) {
  // "Out of range" (X/Y) or the marker in the result latitude column (Bl).
  if (line.ends_with("Out of range") || line.starts_with("       -9999. ")) {
    return Outcome::kNone;
  }
  if (line.ends_with(kRepCp932)) return Outcome::kRep;
  return Outcome::kGrid;
}

// The result lines after the header, one per input line.
std::vector<std::string> Body(const std::string& result, std::size_t inputLines) {
  std::vector<std::string> lines = CrLfLines(result);
  return std::vector<std::string>(lines.end() - static_cast<long>(inputLines), lines.end());
}

TEST(RunPoints, OutcomesMatchTheResultFileInBothModes) {
  const std::vector<std::string> input = {
      "# points",
      "1000.5 -2000.25 10 inside",
      "25000 0 10 north of the grid",
      "not a point",
      "",
      "-9999.9 9999.9 1 \x8c\x95\x8a\x78",  // 剣岳, the last cell
      "10000 0 1 on the upper limit",
  };
  std::string bytes;
  for (const std::string& l : input) bytes += l + "\r\n";
  for (auto mode : {params::ConversionMode::kGridOnly, params::ConversionMode::kGridThenRep}) {
    const auto dir = FreshDir("map_run_" + std::to_string(static_cast<int>(mode)));
    WriteBytes(dir / "pts.in", bytes);
    Harness h(dir);
    h.mode = mode;
    RunPoints run;
    RunRecorder recorder(run, false);
    h.observer = &recorder;
    h.Choose(dir / "pts.in");
    ASSERT_EQ(h.Run(false), batch::RunOutcome::kFinished);
    const std::vector<std::string> body = Body(h.Result(), input.size());
    ASSERT_EQ(run.points.size(), 4u);
    const int64_t dataLines[] = {2, 3, 6, 7};
    for (std::size_t i = 0; i < run.points.size(); ++i) {
      const MapPoint& p = run.points[i];
      EXPECT_EQ(p.line, dataLines[i]);
      EXPECT_EQ(p.outcome, FromResultLine(body[static_cast<std::size_t>(p.line - 1)]))
          << body[static_cast<std::size_t>(p.line - 1)];
      EXPECT_TRUE(p.placed);
      EXPECT_EQ(p.corrected, p.outcome != Outcome::kNone);
    }
    EXPECT_EQ(run.points[0].outcome, Outcome::kGrid);
    EXPECT_EQ(run.points[1].outcome,
              mode == params::ConversionMode::kGridOnly ? Outcome::kNone : Outcome::kRep);
    EXPECT_DOUBLE_EQ(run.points[0].x, 1000.5);
    EXPECT_DOUBLE_EQ(run.points[0].y2, -2000.25 - 0.25);
    EXPECT_EQ(run.points[2].name, "\x8c\x95\x8a\x78");
    // The document lists the same points in the same order.
    const testing::SvgDocument doc =
        testing::ParseSvg(MapSvg(GridModel::Build(h.store), &run, nullptr));
    ASSERT_TRUE(doc.wellFormed) << doc.error;
    const auto pts = doc.Points();
    ASSERT_EQ(pts.size(), 4u);
    for (std::size_t i = 0; i < pts.size(); ++i) {
      EXPECT_EQ(pts[i].cls, std::string("point ") + OutcomeClass(run.points[i].outcome));
      EXPECT_EQ(pts[i].Attr("data-line"), std::to_string(dataLines[i]));
    }
  }
}

TEST(RunPoints, LatitudeLongitudeRunsKeepRangeFailuresApart) {
  // Zone 9: the origin (36°, 139°50') lies in the grid; 36°10' lies north of
  // it (not converted); 46°00'01" fails the range test.
  const std::string bytes =
      "360000.0 1395000.0 5 origin\r\n"
      "361000.0 1395000.0 5 north\r\n"
      "460001.0 1395000.0 5 far north\r\n"
      "360000.0 1420000.0 5 far east\r\n";
  const auto dir = FreshDir("map_run_bl");
  WriteBytes(dir / "pts.in", bytes);
  Harness h(dir);
  h.process = batch::Process::kBl;
  RunPoints run;
  const geo::Projection projection(h.geo);
  RunRecorder recorder(run, true, &projection);
  h.observer = &recorder;
  h.Choose(dir / "pts.in");
  ASSERT_EQ(h.Run(true), batch::RunOutcome::kFinished);
  ASSERT_EQ(run.points.size(), 4u);
  const Outcome expected[] = {Outcome::kGrid, Outcome::kNone, Outcome::kRange, Outcome::kRange};
  const std::vector<std::string> body = Body(h.Result(), 4);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(run.points[i].outcome, expected[i]) << i;
    EXPECT_TRUE(run.points[i].latLonInput);
    // Not converted and refused lines look alike in the result file.
    EXPECT_EQ(body[i].starts_with("       -9999. "), expected[i] != Outcome::kGrid);
  }
  EXPECT_NEAR(run.points[0].x, 0, 1e-6);
  EXPECT_NEAR(run.points[0].y, 0, 1e-6);
  EXPECT_DOUBLE_EQ(run.points[2].inB, 460001.0);
  // The refused points are placed by their projection: 10° north, 2°10' east.
  ASSERT_TRUE(run.points[2].placed);
  EXPECT_GT(run.points[2].x, 1.0e6);
  ASSERT_TRUE(run.points[3].placed);
  EXPECT_GT(run.points[3].y, 150000);
  EXPECT_FALSE(run.points[2].corrected);
}

TEST(RunPoints, ALimitThinsTheRunEvenlyAndCountsTheRest) {
  // Ten lines, four points at most: every third data line, the last included.
  std::string bytes;
  for (int i = 0; i < 10; ++i)
    bytes += std::to_string(i * 100) + " 0 1 " + std::string(300, 'n') + "\r\n";
  const auto dir = FreshDir("map_run_limit");
  WriteBytes(dir / "pts.in", bytes);
  Harness h(dir);
  RunPoints run;
  run.points.resize(3);  // an earlier run's points are dropped
  run.droppedBy[0] = 9;
  RunRecorder recorder(run, false, nullptr, 4);
  h.observer = &recorder;
  h.Choose(dir / "pts.in");
  ASSERT_EQ(h.Run(false), batch::RunOutcome::kFinished);
  ASSERT_EQ(run.points.size(), 4u);
  EXPECT_EQ(run.points[0].line, 1);
  EXPECT_EQ(run.points[1].line, 4);
  EXPECT_EQ(run.points[3].line, 10);
  EXPECT_EQ(run.Dropped(), 6);
  EXPECT_EQ(run.points[0].name.size(), kMaxNameBytes);
  // The legend counts every point of the run, kept or not.
  EXPECT_EQ(CountOutcomes(run).n[static_cast<int>(Outcome::kGrid)], 10);
}

// A thinned run keeps the points not corrected with the grid between its
// samples, up to the maximum again; comment lines take no turn.
TEST(RunPoints, AThinnedRunKeepsThePointsItWasNotCorrectedFor) {
  std::string bytes = "# points\r\n";
  for (int i = 0; i < 30; ++i) {
    const bool outside = i % 5 == 2;  // north of the grid
    bytes += std::to_string(outside ? 25000 : i * 100) + " 0 1 p" + std::to_string(i) + "\r\n";
    if (i % 7 == 0) bytes += "# comment\r\n";
  }
  const auto dir = FreshDir("map_run_thin");
  WriteBytes(dir / "pts.in", bytes);
  for (const std::size_t max : {std::size_t{10}, std::size_t{3}}) {
    Harness h(dir);
    h.mode = params::ConversionMode::kGridOnly;
    RunPoints run;
    RunRecorder recorder(run, false, nullptr, max);
    h.observer = &recorder;
    h.Choose(dir / "pts.in");
    ASSERT_EQ(h.Run(false), batch::RunOutcome::kFinished);
    // 36 lines: every 4th (or 12th) data point, and the outside ones (6) up to `max`.
    const std::size_t stride = (36 + max - 1) / max;
    std::vector<std::string> want;
    std::size_t extra = 0;
    for (std::size_t i = 0; i < 30; ++i) {
      if (i % stride == 0) {
        want.push_back("p" + std::to_string(i));
      } else if (i % 5 == 2 && extra < max) {
        ++extra;
        want.push_back("p" + std::to_string(i));
      }
    }
    std::vector<std::string> got;
    for (const MapPoint& p : run.points) got.push_back(p.name);
    EXPECT_EQ(got, want) << max;
    EXPECT_EQ(run.Dropped(), static_cast<int64_t>(30 - want.size()));
    const OutcomeCounts c = CountOutcomes(run);
    EXPECT_EQ(c.n[static_cast<int>(Outcome::kNone)], 6);
    EXPECT_EQ(c.n[static_cast<int>(Outcome::kGrid)], 24);
  }
}

// Without a line count (a recorder told nothing before the lines), the first
// points are kept, and the ones not corrected after them as many again.
TEST(RunPoints, WithoutACountTheFirstPointsAreKept) {
  RunPoints run;
  RunRecorder recorder(run, false, nullptr, 2);
  for (int i = 0; i < 8; ++i) {
    batch::LineResult r;
    r.outcome = i % 2 == 1 ? batch::LineOutcome::kRangeFailure : batch::LineOutcome::kGrid;
    r.point.lineNumber = i + 1;
    recorder.OnLine(r);
  }
  std::vector<int64_t> lines;
  for (const MapPoint& p : run.points) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int64_t>{1, 2, 4, 6}));
  EXPECT_EQ(run.Dropped(), 4);
  EXPECT_EQ(run.droppedBy[static_cast<int>(Outcome::kRange)], 1);
}

}  // namespace
}  // namespace varno::map
