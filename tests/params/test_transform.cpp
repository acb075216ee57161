// The point transformation in its three modes, the representative-point
// shift and CalcXy2bl's own error handling.
#include <gtest/gtest.h>

#include "params/interpolate.h"
#include "params/transform.h"
#include "params_test_util.h"
#include "text/errors.h"

namespace varno::params {
namespace {

using testing::RecordingReporter;
using Event = RecordingReporter::Event;

const std::string kDirection = "\r震災前成果から震災後成果へ（→右方向に）変換しました。";
const std::string kGridMsg = "「地域毎の変換ﾊﾟﾗﾒｰﾀ」で変換しました。" + kDirection;
const std::string kRepMsg = "「地域毎のﾊﾟﾗﾒｰﾀ」における「代表点」で変換しました。" + kDirection;
const std::string kFallbackMsg =
    "「地域毎の変換ﾊﾟﾗﾒｰﾀ」がなかったので，「地域毎のﾊﾟﾗﾒｰﾀ」における「代表点」で変換しました。" +
    kDirection;

// A 3 x 3 node grid of zone-9 coordinates around the example point, with
// constant corrections, and a representative point that differs from them.
ParamStore ExampleStore() {
  ParamStore s;
  s.gridMinX = 192000, s.gridMaxX = 194000, s.gridStepX = 1000;
  s.gridMinY = 33000, s.gridMaxY = 35000, s.gridStepY = 1000;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      s.records.push_back({192000.0 + i * 1000, 33000.0 + j * 1000, -0.5, 2.25, -0.125});
  }
  s.count = 9;
  s.repDx = 0.3, s.repDy = 1.7, s.repDh = -0.2;
  s.index = GridIndex::Build(s);
  return s;
}

const TransformOutput kUntouched{1, 2, 3, 4, 5};

struct RunResult {
  std::string status;
  TransformOutput out = kUntouched;
  std::vector<Event> events;
};

RunResult Transform(const ParamStore& s, ConversionMode mode, double x, double y, double h = 10) {
  RecordingReporter rec;
  const geo::Projection proj{geo::GeoState{}};
  RunResult r;
  r.status = StatusText(TransformPoint(s, mode, proj, rec.reporter(), x, y, h, r.out));
  r.events = rec.events;
  return r;
}

void ExpectLatLonOf(const TransformOutput& out) {
  geo::GeoState geo;
  geo::GeoResult want = geo::Projection(geo).Inverse(out.x2, out.y2);
  EXPECT_EQ(out.b2, want.phi);
  EXPECT_EQ(out.l2, want.lambda);
}

TEST(TransformPoint, GridPath) {
  const ParamStore s = ExampleStore();
  RunResult r = Transform(s, ConversionMode::kGridOnly, 193524.0771, 34235.1330);
  EXPECT_EQ(r.status, "");
  EXPECT_EQ(r.out.x2, 193524.0771 + -0.5);
  EXPECT_EQ(r.out.y2, 34235.1330 + 2.25);
  EXPECT_EQ(r.out.h2, 10 + -0.125);
  ExpectLatLonOf(r.out);
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_EQ(r.events[0].kind, "color");
  EXPECT_EQ(r.events[0].color, colors::kLightYellow);
  EXPECT_EQ(r.events[1].text, kGridMsg);
  // Mode 1 uses the grid the same way where it has parameters.
  RunResult r1 = Transform(s, ConversionMode::kGridThenRep, 193524.0771, 34235.1330);
  EXPECT_EQ(r1.status, "");
  EXPECT_EQ(r1.out.x2, r.out.x2);
}

TEST(TransformPoint, OutsideTheGrid) {
  const ParamStore s = ExampleStore();
  struct Case {
    ConversionMode mode;
    const char* status;
    const std::string* message;  // null: nothing shown
  };
  const Case cases[] = {{ConversionMode::kGridOnly, "Err", nullptr},
                        {ConversionMode::kGridThenRep, "*代表点", &kFallbackMsg},
                        {ConversionMode::kRepOnly, "*代表点", &kRepMsg}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    RunResult r = Transform(s, c.mode, 180000.25, 34000.5, 5);
    EXPECT_EQ(r.status, c.status);
    if (!c.message) {
      EXPECT_TRUE(r.events.empty()) << "nothing written on Err";
      EXPECT_EQ(r.out.x2, kUntouched.x2);
      EXPECT_EQ(r.out.y2, kUntouched.y2);
      EXPECT_EQ(r.out.h2, kUntouched.h2);
      EXPECT_EQ(r.out.b2, kUntouched.b2);
      EXPECT_EQ(r.out.l2, kUntouched.l2);
      continue;
    }
    EXPECT_EQ(r.out.x2, 180000.25 + 0.3);
    EXPECT_EQ(r.out.y2, 34000.5 + 1.7);
    EXPECT_EQ(r.out.h2, 5 + -0.2);
    ExpectLatLonOf(r.out);
    // The representative-point paths leave the background alone.
    ASSERT_EQ(r.events.size(), 1u);
    EXPECT_EQ(r.events[0].kind, "text");
    EXPECT_EQ(r.events[0].text, *c.message);
  }
}

TEST(TransformPoint, CornerWithoutParametersCountsAsOutside) {
  ParamStore s = ExampleStore();
  s.records[5].dx = 0;
  s.records[5].dy = 0;
  EXPECT_EQ(Transform(s, ConversionMode::kGridOnly, 193500, 34500).status, "Err");
  EXPECT_EQ(Transform(s, ConversionMode::kGridThenRep, 193500, 34500).status, "*代表点");
}

TEST(TransformPoint, RepOnlyNeverConsultsTheGrid) {
  // A spacing of 0 makes every interpolation fail; mode 3 does not interpolate.
  ParamStore s = ExampleStore();
  s.gridStepX = 0;
  RunResult r = Transform(s, ConversionMode::kRepOnly, 193524.0771, 34235.1330);
  EXPECT_EQ(r.status, "*代表点");
  EXPECT_THROW(Transform(s, ConversionMode::kGridOnly, 193524.0771, 34235.1330), OverflowError);
  EXPECT_THROW(Transform(s, ConversionMode::kGridThenRep, 193524.0771, 34235.1330), OverflowError);
}

TEST(TransformPoint, OverflowInTheAdditionsPropagates) {
  ParamStore s = ExampleStore();
  s.repDx = 1.7e308;
  RecordingReporter rec;
  const geo::Projection proj{geo::GeoState{}};
  TransformOutput out = kUntouched;
  EXPECT_THROW(
      TransformPoint(s, ConversionMode::kRepOnly, proj, rec.reporter(), 1.7e308, 0, 0, out),
      OverflowError);
  EXPECT_TRUE(rec.events.empty()) << "no message for a point that was not converted";
  EXPECT_EQ(out.x2, kUntouched.x2);
}

TEST(TransformPoint, CalcXy2blFaultGoesToTheMainStatus) {
  // A corrected point far outside any zone overflows in the inverse
  // projection: green status, normal return, status already set.
  ParamStore s = ExampleStore();
  s.repDy = 1e300;
  RunResult r = Transform(s, ConversionMode::kRepOnly, 0, 0);
  EXPECT_EQ(r.status, "*代表点");
  ASSERT_EQ(r.events.size(), 3u);
  EXPECT_EQ(r.events[0].text, kRepMsg);
  EXPECT_EQ(r.events[1].color, colors::kGreen);
  EXPECT_EQ(r.events[2].text, "X,Yの値に問題があります。計算は行いません。 in CalcXy2bl");
  EXPECT_EQ(r.out.y2, 1e300);
}

TEST(CalcXy2bl, HandlerAndPropagation) {
  RecordingReporter rec;
  const geo::Projection proj{geo::GeoState{}};
  geo::GeoResult ok = CalcXy2bl(proj, 10000.0, 20000.0, rec.reporter());
  EXPECT_TRUE(rec.events.empty());
  geo::GeoState geo2;
  geo::GeoResult pure = geo::Projection(geo2).Inverse(10000.0, 20000.0);
  EXPECT_EQ(ok.phi, pure.phi);
  EXPECT_EQ(ok.m, pure.m);
  // Overflow: outputs not reached keep what the caller had.
  geo::GeoResult io;
  io.phi = 7, io.lambda = 8, io.gamma = 9, io.m = 10;
  CalcXy2bl(proj, 0, 1e300, io, rec.reporter());
  ASSERT_EQ(rec.events.size(), 2u);
  EXPECT_EQ(rec.events[0].color, colors::kGreen);
  EXPECT_EQ(rec.events[1].text, "X,Yの値に問題があります。計算は行いません。 in CalcXy2bl");
  EXPECT_EQ(io.m, 10) << "the scale factor is computed last";
}

TEST(CalcXy2bl, ErrorsOtherThanOverflowGoToAMessageBox) {
  RecordingReporter rec;
  ReportCalcXy2blError(SubscriptError("test"), rec.reporter());
  ASSERT_EQ(rec.events.size(), 1u);
  EXPECT_EQ(rec.events[0].kind, "box");
  EXPECT_EQ(rec.events[0].text, SubscriptError("test").description() +
                                    "X,Yの値に問題があると思われます。計算は行いません。 in "
                                    "CalcXy2bl|座標変換プログラム");
  rec.events.clear();
  ReportCalcXy2blError(OverflowError("Integer"), rec.reporter());
  ASSERT_EQ(rec.events.size(), 2u);
  EXPECT_EQ(rec.events[0].color, colors::kGreen);
  EXPECT_EQ(rec.events[1].kind, "text");
}

TEST(ShiftByRepPoint, Directions) {
  ParamStore s;
  s.repDx = 0.123456789, s.repDy = -2.5, s.repDh = 1e-3;
  double x = 0, y = 0, h = 0;
  ShiftByRepPoint(s, Direction::kAdd, 193524.0771, 34235.1330, 12.5, x, y, h);
  EXPECT_EQ(x, 193524.0771 + 0.123456789);
  EXPECT_EQ(y, 34235.1330 - 2.5);
  EXPECT_EQ(h, 12.5 + 1e-3);
  double bx = 0, by = 0, bh = 0;
  ShiftByRepPoint(s, Direction::kSubtract, x, y, h, bx, by, bh);
  EXPECT_NEAR(bx, 193524.0771, 1e-10);
  EXPECT_NEAR(by, 34235.1330, 1e-10);
  EXPECT_NEAR(bh, 12.5, 1e-12);
  for (int other : {0, 3, -1}) {
    double ux = 7, uy = 7, uh = 7;
    ShiftByRepPoint(s, static_cast<Direction>(other), 1, 1, 1, ux, uy, uh);
    EXPECT_EQ(ux, 7);
    EXPECT_EQ(uy, 7);
    EXPECT_EQ(uh, 7);
  }
}

}  // namespace
}  // namespace varno::params
