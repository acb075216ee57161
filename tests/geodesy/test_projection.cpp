#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "text/errors.h"
#include "text/format.h"

namespace varno::geo {
namespace {

double Rad(double packed) {
  return DmsToDeg(packed).degrees * kDegToRad;
}

GeoState Zone(int number) {
  GeoState st;
  st.zone = ParseZoneItem(ZoneItems()[number - 1]);
  return st;
}

TEST(Forward, ExamplePointsOfZone9) {
  GeoState st = Zone(9);
  const PlaneResult r = Projection(st).Forward(Rad(360503.954), Rad(1395802.392));
  EXPECT_EQ(FormatNumber(r.x, "######.0000"), "9375.8938");
  EXPECT_EQ(FormatNumber(r.y, "######.0000"), "12067.6388");
  EXPECT_NEAR(r.gamma * kRadToDeg, 0.0789217, 1e-7);
  EXPECT_EQ(FormatNumber(r.m, "#.00000000"), ".99990179");
  EXPECT_EQ(DmsText3(FormatDms3(-r.gamma * kRadToDeg)), "-0444.118");

  const PlaneResult w = Projection(st).Forward(Rad(360503.954), Rad(1365802.392));
  EXPECT_NEAR(w.y, -258141.03, 0.01);
  EXPECT_EQ(DmsText3(FormatDms3(-w.gamma * kRadToDeg)).front(), ' ');
}

TEST(Forward, OriginAndCentralMeridian) {
  GeoState st = Zone(9);
  const PlaneResult o = Projection(st).Forward(Rad(360000), Rad(1395000));
  EXPECT_EQ(o.x, 0.0);
  EXPECT_EQ(o.y, 0.0);
  const PlaneResult c = Projection(st).Forward(Rad(370000), Rad(1395000));
  EXPECT_EQ(c.y, 0.0);
  EXPECT_EQ(c.gamma, 0.0);
  EXPECT_EQ(c.m, 0.9999);
  const Projection proj(st);
  const ConstantSet& k = proj.constants();
  const double S = MeridianArc(Rad(370000), k);
  EXPECT_EQ(c.x, (S - k.S0) * 0.9999);
}

TEST(Inverse, ExamplePointsOfZone9) {
  GeoState st = Zone(9);
  GeoResult r = Projection(st).Inverse(10000.0, 20000.0);
  EXPECT_EQ(DmsText5(FormatDms5(r.phi * kRadToDeg)), " 360523.73329");
  EXPECT_EQ(DmsText5(FormatDms5(r.lambda * kRadToDeg)), " 1400319.53559");
  EXPECT_EQ(DmsText3(FormatDms3(-r.gamma * kRadToDeg)), "-0750.971");
  EXPECT_EQ(FormatNumber(r.m, "#.00000000"), ".99990493");
  EXPECT_LT(r.iterations, 10);
  EXPECT_FALSE(r.notSettled);

  r = Projection(st).Inverse(9375.8938443, 12067.6387845);
  EXPECT_EQ(DmsText5(FormatDms5(r.phi * kRadToDeg)), " 360503.95400");
  EXPECT_EQ(DmsText5(FormatDms5(r.lambda * kRadToDeg)), " 1395802.39200");

  r = Projection(st).Inverse(0.0, 0.0);
  EXPECT_EQ(r.phi, Projection(st).constants().phi0);
  EXPECT_EQ(r.lambda, Projection(st).constants().lambda0);
  EXPECT_EQ(r.gamma, 0.0);
  EXPECT_EQ(r.m, 0.9999);
  EXPECT_EQ(r.iterations, 1);

  r = Projection(st).Inverse(50000.0, 0.0);
  EXPECT_EQ(r.lambda, Projection(st).constants().lambda0);
  EXPECT_EQ(r.gamma, 0.0);
  r = Projection(st).Inverse(0.0, -30000.0);
  EXPECT_LT(r.gamma, 0.0);
}

class CountingHook : public NotSettledHook {
 public:
  int calls = 0;
  void OnNotSettled() override { ++calls; }
};

TEST(Inverse, FaultsAndTheIterationLimit) {
  GeoState st = Zone(9);
  EXPECT_THROW(Projection(st.ellipsoids, static_cast<EllipsoidEntry>(3), st.zone), SubscriptError);
  EXPECT_THROW(Projection(st).Inverse(1e308, 1e308), OverflowError);
  EXPECT_THROW(Projection(st).Forward(1e300, 1e300), OverflowError);
  // Far outside any zone the footpoint does not settle: either 101 steps with
  // the hook called once, or an overflow -- never a non-finite result.
  CountingHook hook;
  for (double x : {4e7, 9e7, 2.5e8}) {
    try {
      const GeoResult r = Projection(st).Inverse(x, 1000.0, &hook);
      EXPECT_TRUE(std::isfinite(r.phi) && std::isfinite(r.lambda) && std::isfinite(r.m));
      if (r.notSettled) {
        EXPECT_EQ(r.iterations, 101);
      }
    } catch (const OverflowError&) {
    }
  }
  EXPECT_LE(hook.calls, 3);
}

// The batch converter relies on this: near any zone origin the inverse never
// fails and settles well within its limit.
TEST(Inverse, CannotFailWithinTheSafeRangeOfEveryZone) {
  for (int zone = 1; zone <= 19; ++zone) {
    GeoState st = Zone(zone);
    for (int i = -20; i <= 20; ++i) {
      for (int j = -20; j <= 20; ++j) {
        const double x = kInverseSafeRange * i / 20.0, y = kInverseSafeRange * j / 20.0;
        GeoResult r;
        ASSERT_NO_THROW(r = Projection(st).Inverse(x, y)) << zone << " " << x << " " << y;
        ASSERT_FALSE(r.notSettled);
        ASSERT_TRUE(std::isfinite(r.phi) && std::isfinite(r.lambda) && std::isfinite(r.m));
      }
    }
  }
}

uint64_t Bits(double v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// The batch converters ask for the position alone where nothing after it can
// fail: inside any window a point can pass (its zone's, or the general one)
// for Forward, within the safe range for Inverse. There the convergence and
// scale factor are finite, and the position is the same to the bit.
TEST(Projection, PositionAloneIsTheSameWhereNothingAfterItCanFail) {
  for (int zone = 1; zone <= 19; ++zone) {
    SCOPED_TRACE(zone);
    const GeoState st = Zone(zone);
    const Projection proj(st);
    const LatLonWindow zw =
        ZoneWindow(DmsToDeg(st.zone.originLat).degrees, DmsToDeg(st.zone.originLon).degrees);
    for (const LatLonWindow& w : {zw, kGeneralWindow}) {
      for (int i = 0; i <= 20; ++i) {
        for (int j = 0; j <= 20; ++j) {
          const double lat =
              w.latMin - kWindowMargin + (w.latMax - w.latMin + 2 * kWindowMargin) * i / 20;
          const double lon =
              w.lonMin - kWindowMargin + (w.lonMax - w.lonMin + 2 * kWindowMargin) * j / 20;
          const PlaneResult all = proj.Forward(lat * kDegToRad, lon * kDegToRad);
          const PlaneResult pos =
              proj.Forward(lat * kDegToRad, lon * kDegToRad, Outputs::kPosition);
          ASSERT_TRUE(std::isfinite(all.gamma) && std::isfinite(all.m)) << lat << " " << lon;
          ASSERT_EQ(Bits(all.x), Bits(pos.x));
          ASSERT_EQ(Bits(all.y), Bits(pos.y));
        }
      }
    }
    for (int i = -20; i <= 20; ++i) {
      for (int j = -20; j <= 20; ++j) {
        const double x = kInverseSafeRange * i / 20.0, y = kInverseSafeRange * j / 20.0 * 0.999;
        GeoResult all, pos;
        proj.Inverse(x, y, all);
        proj.Inverse(x, y, pos, nullptr, Outputs::kPosition);
        ASSERT_EQ(Bits(all.phi), Bits(pos.phi)) << x << " " << y;
        ASSERT_EQ(Bits(all.lambda), Bits(pos.lambda)) << x << " " << y;
        ASSERT_EQ(all.iterations, pos.iterations);
        ASSERT_TRUE(std::isfinite(all.gamma) && std::isfinite(all.m));
      }
    }
  }
}

struct Reference {
  int zone;
  double lat, lon, x, y, gammaDeg, scale;
};

std::vector<Reference> LoadReference() {
  std::ifstream in(std::string(VARNO_TEST_DATA) + "/geodesy/reference_points.csv");
  std::vector<Reference> v;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream s(line);
    Reference r{};
    s >> r.zone >> r.lat >> r.lon >> r.x >> r.y >> r.gammaDeg >> r.scale;
    v.push_back(r);
  }
  return v;
}

// Against GeographicLib's exact transverse Mercator (tools/make-reference-points).
TEST(Accuracy, ForwardInverseAndRoundTripAgainstIndependentValues) {
  const std::vector<Reference> refs = LoadReference();
  ASSERT_GT(refs.size(), 200u);
  for (const Reference& ref : refs) {
    GeoState st = Zone(ref.zone);
    const PlaneResult f = Projection(st).Forward(ref.lat * kDegToRad, ref.lon * kDegToRad);
    EXPECT_NEAR(f.x, ref.x, 1e-5) << ref.zone << " " << ref.lat << " " << ref.lon;
    EXPECT_NEAR(f.y, ref.y, 1e-5) << ref.zone << " " << ref.lat << " " << ref.lon;
    EXPECT_NEAR(f.gamma * kRadToDeg, ref.gammaDeg, 1e-9);
    EXPECT_NEAR(f.m, ref.scale, 1e-9);

    const GeoResult b = Projection(st).Inverse(ref.x, ref.y);
    EXPECT_NEAR(b.phi * kRadToDeg, ref.lat, 1e-9) << ref.zone << " " << ref.x << " " << ref.y;
    EXPECT_NEAR(b.lambda * kRadToDeg, ref.lon, 1e-9) << ref.zone << " " << ref.x << " " << ref.y;

    const GeoResult back = Projection(st).Inverse(f.x, f.y);
    EXPECT_NEAR(back.phi * kRadToDeg * 3600.0, ref.lat * 3600.0, 1e-7);
    EXPECT_NEAR(back.lambda * kRadToDeg * 3600.0, ref.lon * 3600.0, 1e-7);
  }
}

TEST(Projection, EachZoneKeepsItsOwnConstants) {
  // Projections of two zones side by side: neither disturbs the other, and a
  // copy gives the same bits as the original.
  const Projection z9(Zone(9));
  const Projection z10(Zone(10));
  const PlaneResult before = z9.Forward(Rad(350000), Rad(1380000));
  const PlaneResult r10 = z10.Forward(Rad(400500), Rad(1405500));
  const Projection copy = z9;
  const PlaneResult after = copy.Forward(Rad(350000), Rad(1380000));
  EXPECT_EQ(before.x, after.x);
  EXPECT_EQ(before.y, after.y);
  EXPECT_EQ(z10.constants().phi0, Rad(400000));
  EXPECT_EQ(z10.zone().zoneNo, 10);
  EXPECT_NE(r10.x, before.x);
}

}  // namespace
}  // namespace varno::geo
