#include <gtest/gtest.h>

#include "geodesy/angles.h"
#include "geodesy/ellipsoid.h"
#include "text/errors.h"

namespace varno::geo {
namespace {

TEST(DmsToDeg, PackedValues) {
  DmsParts p = DmsToDeg(360503.954);
  EXPECT_NEAR(p.degrees, 36.08443166666667, 1e-12);
  EXPECT_EQ(p.sign, 1);
  EXPECT_EQ(p.deg, 36);
  EXPECT_EQ(p.min, 5);
  EXPECT_NEAR(p.sec, 3.954, 1e-8);
  EXPECT_NEAR(DmsToDeg(1365802.392).degrees, 136.96733111111111, 1e-12);
  p = DmsToDeg(-1234.5);
  EXPECT_NEAR(p.degrees, -0.20958333333333, 1e-12);
  EXPECT_EQ(p.sign, -1);
  EXPECT_EQ(p.deg, 0);
  EXPECT_EQ(p.min, 12);
  EXPECT_NEAR(p.sec, 34.5, 1e-8);
  EXPECT_NEAR(DmsToDeg(366000).degrees, 37.0, 1e-12);  // 60 minutes taken as they stand
  p = DmsToDeg(0);
  EXPECT_EQ(p.degrees, 0.0);
  EXPECT_EQ(p.sign, 0);
  EXPECT_THROW(DmsToDeg(4e8), OverflowError);  // 40000 degrees: beyond 16 bits
}

TEST(FormatDms, TextsAndCarry) {
  EXPECT_EQ(DmsText5(FormatDms5(DmsToDeg(360503.954).degrees)), " 360503.95400");
  EXPECT_EQ(DmsText5(FormatDms5(DmsToDeg(1365802.392).degrees)), " 1365802.39200");
  // 36 deg 59' 59.999996" carries through the minutes into the degrees.
  const double nearly37 = 36.0 + 59.0 / 60.0 + 59.999996 / 3600.0;
  const DmsFormatted c = FormatDms5(nearly37);
  EXPECT_EQ(c.deg, 37);
  EXPECT_EQ(c.min, 0);
  EXPECT_EQ(c.sec, 0.0);
  EXPECT_EQ(DmsText5(c), " 370000.00000");
  EXPECT_EQ(DmsText5(FormatDms5(35.0 + 59.0 / 60.0 + 59.999996 / 3600.0)), " 360000.00000");
  // A carry into the minutes only.
  EXPECT_EQ(DmsText5(FormatDms5(36.0 + 4.0 / 60.0 + 59.999999 / 3600.0)), " 360500.00000");
  EXPECT_EQ(DmsText3(FormatDms3(-0.2096)), "-1234.560");
  EXPECT_EQ(DmsText3(FormatDms3(0.0)), " 0000.000");
  EXPECT_EQ(DmsText3(FormatDms3(-0.0789216762)), "-0444.118");
  EXPECT_THROW(FormatDms5(40000.0), OverflowError);
}

TEST(Ellipsoid, TableAndEntries) {
  const EllipsoidTable t = MakeEllipsoidTable();
  EXPECT_EQ(t.originScale, 0.9999);
  EXPECT_EQ(t.Entry(EllipsoidEntry::kGrs80).name, "GRS-80");
  EXPECT_NEAR(t.Entry(EllipsoidEntry::kGrs80).f, 0.00335281068118, 1e-14);
  EXPECT_NEAR(t.Entry(EllipsoidEntry::kGrs80).e2, 0.00669438002290, 1e-14);
  EXPECT_NEAR(t.Entry(EllipsoidEntry::kBessel).e2, 0.00667437222735, 1e-14);
  EXPECT_EQ(t.Entry(EllipsoidEntry::kBessel).name, "Bessel");
  EXPECT_THROW(t.Entry(static_cast<EllipsoidEntry>(3)), SubscriptError);
  EXPECT_THROW(t.Entry(static_cast<EllipsoidEntry>(0)), SubscriptError);
  EXPECT_THROW(DeriveConstants(t, static_cast<EllipsoidEntry>(3), 360000, 1395000, true),
               SubscriptError);
  const ConstantSet k = DeriveConstants(t, EllipsoidEntry::kGrs80, 360000, 1395000, true);
  EXPECT_NEAR(k.A, 1.0050525018131, 1e-12);
  EXPECT_NEAR(k.phi0, 36.0 * 0.0174532925199433, 1e-13);  // with the dms guard
  EXPECT_NEAR(k.S0 * 0.9999, 3985144.116029, 1e-5);       // GeographicLib, GRS80
}

TEST(Zones, ItemsParsingAndWindows) {
  const auto& items = ZoneItems();
  ASSERT_EQ(items.size(), 19u);
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].size(), 21u);
    EXPECT_EQ(ParseZoneItem(items[i]).zoneNo, static_cast<int>(i + 1));
  }
  ZoneSelection z = ParseZoneItem(" 9  360000.  1395000.");
  EXPECT_EQ(z.zoneNo, 9);
  EXPECT_EQ(z.originLat, 360000.0);
  EXPECT_EQ(z.originLon, 1395000.0);
  EXPECT_NEAR(DmsToDeg(z.originLon).degrees, 139.8333333333333, 1e-12);
  z = ParseZoneItem(items[10]);
  EXPECT_NEAR(DmsToDeg(z.originLon).degrees, 140.25, 1e-12);  // 140 deg 15', not 140.15
  EXPECT_THROW(ParseZoneItem("xx  360000.  1395000."), ConversionError);
  EXPECT_THROW(ParseZoneItem(""), ConversionError);

  // Typed bounds pass through DmsToDeg's guard and are still accepted.
  EXPECT_TRUE(kGeneralWindow.ContainsLat(DmsToDeg(460000).degrees));
  EXPECT_TRUE(kGeneralWindow.ContainsLon(DmsToDeg(1460000).degrees));
  EXPECT_FALSE(kGeneralWindow.ContainsLat(DmsToDeg(460000.00001).degrees));
  EXPECT_TRUE(kGeneralWindow.ContainsLat(23.0));
  EXPECT_TRUE(kGeneralWindow.ContainsLat(46.0));
  EXPECT_TRUE(kGeneralWindow.ContainsLon(122.0));
  EXPECT_TRUE(kGeneralWindow.ContainsLon(146.0));
  EXPECT_FALSE(kGeneralWindow.ContainsLat(22.99999));
  const LatLonWindow w = ZoneWindow(36.0, DmsToDeg(1395000).degrees);
  EXPECT_TRUE(w.ContainsLat(33.0) && w.ContainsLat(39.0));
  EXPECT_FALSE(w.ContainsLat(39.000001));
  EXPECT_TRUE(w.ContainsLon(DmsToDeg(1382000).degrees));
  EXPECT_TRUE(w.ContainsLon(DmsToDeg(1412000).degrees));
  EXPECT_FALSE(w.ContainsLon(141.34));
  // Zones 18 and 19 lie outside the general window.
  EXPECT_FALSE(kGeneralWindow.ContainsLat(20.0));
  EXPECT_FALSE(kGeneralWindow.ContainsLon(154.0));
}

}  // namespace
}  // namespace varno::geo
