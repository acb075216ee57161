#include "geodesy/ellipsoid.h"

#include <cmath>
#include <string>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "text/errors.h"
#include "text/number.h"

namespace varno::geo {

const Ellipsoid& EllipsoidTable::Entry(EllipsoidEntry entry) const {
  const int number = static_cast<int>(entry);
  if (number < 1 || number > 2) {
    throw SubscriptError("楕円体番号 " + std::to_string(number));
  }
  return entries[static_cast<std::size_t>(number - 1)];
}

EllipsoidTable MakeEllipsoidTable() {
  EllipsoidTable t;
  t.entries[0].a = 6377397.155;
  t.entries[0].r = 299.152813;
  t.entries[0].name = "Bessel";
  t.entries[1].a = 6378137.0;
  t.entries[1].r = 298.257222101;
  t.entries[1].name = "GRS-80";
  for (Ellipsoid& e : t.entries) {
    e.f = 1.0 / e.r;
    e.e2 = ((2.0 * e.r - 1.0) / e.r) / e.r;
  }
  t.originScale = 0.9999;
  return t;
}

const std::array<std::string_view, 19>& ZoneItems() {
  static constexpr std::array<std::string_view, 19> kItems = {
      " 1  330000.  1293000.", " 2  330000.  1310000.", " 3  360000.  1321000.",
      " 4  330000.  1333000.", " 5  360000.  1342000.", " 6  360000.  1360000.",
      " 7  360000.  1371000.", " 8  360000.  1383000.", " 9  360000.  1395000.",
      "10  400000.  1405000.", "11  440000.  1401500.", "12  440000.  1421500.",
      "13  440000.  1441500.", "14  260000.  1420000.", "15  260000.  1273000.",
      "16  260000.  1240000.", "17  260000.  1310000.", "18  200000.  1360000.",
      "19  260000.  1540000."};
  return kItems;
}

namespace {

std::string_view Column(std::string_view item, std::size_t from, std::size_t count) {
  return from < item.size() ? item.substr(from, count) : std::string_view();
}

}  // namespace

ZoneSelection ParseZoneItem(std::string_view item) {
  ZoneSelection z;
  z.zoneNo = ToInt16(ParseNumber(Column(item, 0, 2)));
  z.originLat = ParseNumber(Column(item, 4, 7));
  z.originLon = ParseNumber(Column(item, 13, 8));
  return z;
}

LatLonWindow ZoneWindow(double originLatDeg, double originLonDeg) {
  return {originLatDeg - 3.0, originLatDeg + 3.0, originLonDeg - 1.5, originLonDeg + 1.5};
}

ConstantSet DeriveConstants(const EllipsoidTable& table, EllipsoidEntry entry, double originLat,
                            double originLon, bool withS0) {
  const Ellipsoid& el = table.Entry(entry);
  ConstantSet k;
  k.a = el.a;
  k.r = el.r;
  k.f = el.f;
  k.e2 = el.e2;
  k.name = el.name;
  const double e2 = k.e2;
  k.e4 = Checked(e2 * e2);
  k.e6 = Checked(k.e4 * e2);
  k.e8 = Checked(k.e4 * k.e4);
  k.e10 = Checked(k.e8 * e2);
  k.e12 = Checked(k.e8 * k.e4);
  k.e14 = Checked(k.e8 * k.e6);
  k.e16 = Checked(k.e8 * k.e8);
  k.meridianFactor = Checked(k.a * (1.0 - e2));
  k.c = Checked(k.a / std::sqrt(1.0 - e2));
  k.ep2 = Checked(e2 / (1.0 - e2));

  // Meridian-arc coefficients, each term one division times the power,
  // accumulated from the highest power down; A gets its 1 last.
  double s;
  s = 4927697775.0 / 7516192768.0 * k.e16;
  s = s + 19324305.0 / 29360128.0 * k.e14;
  s = s + 693693.0 / 1048576.0 * k.e12;
  s = s + 43659.0 / 65536.0 * k.e10;
  s = s + 11025.0 / 16384.0 * k.e8;
  s = s + 175.0 / 256.0 * k.e6;
  s = s + 45.0 / 64.0 * k.e4;
  s = s + 3.0 / 4.0 * e2;
  k.A = Checked(s + 1.0);

  s = 547521975.0 / 469762048.0 * k.e16;
  s = s + 135270135.0 / 117440512.0 * k.e14;
  s = s + 297297.0 / 262144.0 * k.e12;
  s = s + 72765.0 / 65536.0 * k.e10;
  s = s + 2205.0 / 2048.0 * k.e8;
  s = s + 525.0 / 512.0 * k.e6;
  s = s + 15.0 / 16.0 * k.e4;
  k.B = Checked(s + 3.0 / 4.0 * e2);

  s = 766530765.0 / 939524096.0 * k.e16;
  s = s + 45090045.0 / 58720256.0 * k.e14;
  s = s + 1486485.0 / 2097152.0 * k.e12;
  s = s + 10395.0 / 16384.0 * k.e10;
  s = s + 2205.0 / 4096.0 * k.e8;
  s = s + 105.0 / 256.0 * k.e6;
  k.C = Checked(s + 15.0 / 64.0 * k.e4);

  s = 209053845.0 / 469762048.0 * k.e16;
  s = s + 45090045.0 / 117440512.0 * k.e14;
  s = s + 165165.0 / 524288.0 * k.e12;
  s = s + 31185.0 / 131072.0 * k.e10;
  s = s + 315.0 / 2048.0 * k.e8;
  k.D = Checked(s + 35.0 / 512.0 * k.e6);

  s = 348423075.0 / 1879048192.0 * k.e16;
  s = s + 4099095.0 / 29360128.0 * k.e14;
  s = s + 99099.0 / 1048576.0 * k.e12;
  s = s + 3465.0 / 65536.0 * k.e10;
  k.E = Checked(s + 315.0 / 16384.0 * k.e8);

  s = 26801775.0 / 469762048.0 * k.e16;
  s = s + 4099095.0 / 117440512.0 * k.e14;
  s = s + 9009.0 / 524288.0 * k.e12;
  k.F = Checked(s + 693.0 / 131072.0 * k.e10);

  s = 11486475.0 / 939524096.0 * k.e16;
  s = s + 315315.0 / 58720256.0 * k.e14;
  k.G = Checked(s + 3003.0 / 2097152.0 * k.e12);

  s = 765765.0 / 469762048.0 * k.e16;
  k.H = Checked(s + 45045.0 / 117440512.0 * k.e14);

  k.I = Checked(765765.0 / 7516192768.0 * k.e16);

  k.phi0 = Checked(DmsToDeg(originLat).degrees * kDegToRad);
  k.lambda0 = Checked(DmsToDeg(originLon).degrees * kDegToRad);
  if (withS0) {
    k.S0 = MeridianArc(k.phi0, k);
    k.sinPhi0 = std::sin(k.phi0);
    k.cosPhi0 = std::cos(k.phi0);
    k.w2Phi0 = Checked(1.0 - e2 * k.sinPhi0 * k.sinPhi0);
    k.sqrtW2Phi0 = std::sqrt(k.w2Phi0);
    k.powW2Phi0 = Checked(std::pow(k.w2Phi0, 1.5));
  }
  k.withS0 = withS0;
  return k;
}

}  // namespace varno::geo
