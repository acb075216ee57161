// Ellipsoid table, origin scale, angle-unit factors, the 19 plane rectangular
// zones and the derived constant sets of the two projection directions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varno::geo {

// Used as these decimal literals everywhere, not computed from pi.
inline constexpr double kDegToRad = 0.0174532925199433;
inline constexpr double kRadToDeg = 57.2957795130823;

struct Ellipsoid {
  double a = 0;   // semi-major axis, metres
  double r = 0;   // inverse flattening
  double f = 0;   // 1 / r
  double e2 = 0;  // ((2r - 1) / r) / r
  std::string_view name;
};

// The entries of the ellipsoid table, by their number in it.
enum class EllipsoidEntry : int { kBessel = 1, kGrs80 = 2 };

// Entries 1 ("Bessel") and 2 ("GRS-80"); f and e2 derived from r.
struct EllipsoidTable {
  std::array<Ellipsoid, 2> entries{};
  double originScale = 0.0;  // 0.9999 once initialised
  // Entry 1 or 2; any other number throws SubscriptError.
  const Ellipsoid& Entry(EllipsoidEntry entry) const;
};

// The ellipsoid initialisation run when the main window loads.
EllipsoidTable MakeEllipsoidTable();

// The selected zone: number and origin in packed dms.
struct ZoneSelection {
  int16_t zoneNo = 0;
  double originLat = 0;  // packed dms, e.g. 360000
  double originLon = 0;  // packed dms, e.g. 1395000
};

// The 19 zone list items, 21 characters each (" 9  360000.  1395000.").
const std::array<std::string_view, 19>& ZoneItems();

// Parses a zone list item by column: characters 1-2 the zone number, 5-11
// the origin latitude, 14-21 the origin longitude. Throws ConversionError
// when a column is not a number, OverflowError when the zone is beyond 16 bits.
ZoneSelection ParseZoneItem(std::string_view item);

// Validity windows (degrees, bounds inclusive). The 1e-13 guard of DmsToDeg
// puts a typed bound such as 46 deg or 138 deg 20' a few 1e-14 degrees beyond
// the computed limit, so the bounds are taken with a margin of 1e-10 degrees
// (0.0000004"), far below the 0.00001" resolution of the input.
inline constexpr double kWindowMargin = 1e-10;
struct LatLonWindow {
  double latMin, latMax, lonMin, lonMax;
  bool ContainsLat(double lat) const {
    return latMin - kWindowMargin <= lat && lat <= latMax + kWindowMargin;
  }
  bool ContainsLon(double lon) const {
    return lonMin - kWindowMargin <= lon && lon <= lonMax + kWindowMargin;
  }
};
inline constexpr LatLonWindow kGeneralWindow{23.0, 46.0, 122.0, 146.0};
// phi0 - 3 .. phi0 + 3, lambda0 - 1.5 .. lambda0 + 1.5 (origin in degrees).
LatLonWindow ZoneWindow(double originLatDeg, double originLonDeg);

// A derived constant set (ForwardConstants / InverseConstants).
struct ConstantSet {
  double a = 0, r = 0, f = 0, e2 = 0;
  std::string_view name;
  double e4 = 0, e6 = 0, e8 = 0, e10 = 0, e12 = 0, e14 = 0, e16 = 0;
  double meridianFactor = 0;  // a (1 - e2)
  double c = 0;               // a / sqrt(1 - e2)
  double ep2 = 0;             // e2 / (1 - e2)
  double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0, G = 0, H = 0, I = 0;
  double phi0 = 0, lambda0 = 0;  // zone origin, radians
  double S0 = 0;                 // meridian arc to phi0 (forward set only)
  // At phi0, for the footpoint iteration's first step (with S0): sin, cos,
  // W^2 = 1 - e2 sin^2, sqrt(W^2) and (W^2)^1.5.
  double sinPhi0 = 0, cosPhi0 = 0, w2Phi0 = 0, sqrtW2Phi0 = 0, powW2Phi0 = 0;
  bool withS0 = false;  // S0 and the terms at phi0 were derived
};

// Derives a constant set from ellipsoid entry `entry` and the zone origin (packed
// dms), in the order of the derivation; `withS0` adds S0 (forward set). Throws
// SubscriptError for an entry other than 1 or 2, OverflowError on a non-finite
// intermediate.
ConstantSet DeriveConstants(const EllipsoidTable& table, EllipsoidEntry entry, double originLat,
                            double originLon, bool withS0);

}  // namespace varno::geo
