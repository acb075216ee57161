// Gauss-Kruger projection of the plane rectangular system: forward (latitude,
// longitude to X, Y) and inverse, with meridian convergence and scale factor.
//
// Series: the classical Gauss-Kruger expansion in powers of the longitude
// difference L from the zone's central meridian, as Japanese surveying
// practice writes it for the plane rectangular coordinate system. Forward: X
// through L^8, Y through L^7, the convergence through L^5, the scale factor
// through Y^4. The meridian arc is the series in e^2 through e^16 (coefficients
// A..I, sin 2phi .. sin 16phi). Inverse: the footpoint latitude by Halley
// iteration on the meridian arc (to |dphi| < 1e-14, at most 101 steps), then
// the series in Y/N1: latitude through the 8th power, longitude through the
// 7th, convergence through the 5th.
//
// Units: latitude, longitude and convergence in radians; X (north of the
// zone origin) and Y (east of the central meridian) in metres, already
// multiplied by the origin scale 0.9999; the scale factor as a ratio.
//
// Domain: the program accepts latitudes within 3 degrees and longitudes within
// 1.5 degrees of the zone origin (23..46 N, 122..146 E without a zone). The
// series is a truncation: its error grows about as L^8 away from the central
// meridian, so it is not meant for far wider strips.
//
// Measured agreement with the exact transverse Mercator (GeographicLib's
// TransverseMercatorProj -e 6378137 1/298.257222101 -k 0.9999, 41 x 41 points
// per area, largest difference in X or Y):
//   zone origin +-3 deg lat, +-1.5 deg lon (zones 9, 12, 16, 18): <= 0.0002 mm
//   +-3 deg lat, +-3 deg lon (zone 9):  0.004 mm
//   +-3 deg lat, +-5 deg lon (zone 9):  0.09 mm
//   +-3 deg lat, +-10 deg lon (zone 9): 9.6 mm
// Forward then inverse returns the point within the same amounts.
//
// Every operation follows the evaluation order of the formulas literally; a
// non-finite intermediate throws OverflowError at the step where it appears.
#pragma once

#include <cmath>

#include "geodesy/ellipsoid.h"

namespace varno::geo {

// Meridian arc from the equator to phi (radians), metres.
double MeridianArc(double phi, const ConstantSet& k);

// The geodetic part of the module state: the ellipsoid table and the zone
// selected last.
struct GeoState {
  EllipsoidTable ellipsoids = MakeEllipsoidTable();
  ZoneSelection zone{9, 360000.0, 1395000.0};
};

struct PlaneResult {
  double x = 0, y = 0, gamma = 0, m = 0;
};

struct GeoResult {
  double phi = 0, lambda = 0, gamma = 0, m = 0;  // radians, radians, radians, ratio
  int iterations = 0;                            // footpoint steps taken
  bool notSettled = false;                       // the iteration limit was reached (101 steps)
};

// Called during the 101st footpoint step, before the computation goes on with
// the last value (doCalcXy2bl shows its message there).
class NotSettledHook {
 public:
  virtual ~NotSettledHook() = default;
  virtual void OnNotSettled() = 0;
};

// Within this distance (metres) of a zone origin in X and in Y, every step of
// the inverse stays finite and the footpoint settles: it cannot fail there.
inline constexpr double kInverseSafeRange = 1e6;
inline bool WithinInverseSafeRange(double x, double y) {
  return std::fabs(x) <= kInverseSafeRange && std::fabs(y) <= kInverseSafeRange;
}

// What Forward and Inverse compute: everything, or the position alone (X and
// Y; latitude and longitude). The convergence and the scale factor come after
// the position and change nothing of it; a caller leaves them out only where
// none of their steps can fail (a point inside the zone's window for Forward,
// within kInverseSafeRange for Inverse), so that no error goes unreported.
enum class Outputs { kAll, kPosition };

// The projection of one zone on one ellipsoid, built when the zone changes:
// every constant is derived once by the constructor, and Forward and Inverse
// change nothing, so one object serves any number of threads at once.
class Projection {
 public:
  // Derives the constant set of `entry` at the zone's origin. Throws
  // SubscriptError for an entry not in the table, OverflowError on a
  // non-finite intermediate.
  Projection(const EllipsoidTable& table, EllipsoidEntry entry, const ZoneSelection& zone);
  // GRS80 at the zone last selected in `st`.
  explicit Projection(const GeoState& st);

  // CalcBl2xy: phi, lambda in radians to X, Y (metres), convergence (radians)
  // and scale factor. Throws OverflowError at a non-finite intermediate.
  PlaneResult Forward(double phi, double lambda, Outputs outputs = Outputs::kAll) const;

  // CalcXy2bl: S0, the Halley footpoint iteration and the inverse series. The
  // outputs are written into `out` as soon as each is computed, in the order
  // phi, lambda, gamma, m, so that a caller whose handler stops at an error
  // keeps what was written before it. Throws OverflowError at a non-finite
  // intermediate.
  void Inverse(double x, double y, GeoResult& out, NotSettledHook* hook = nullptr,
               Outputs outputs = Outputs::kAll) const;
  GeoResult Inverse(double x, double y, NotSettledHook* hook = nullptr) const;

  const ConstantSet& constants() const { return k_; }
  double originScale() const { return m0_; }
  const ZoneSelection& zone() const { return zone_; }

 private:
  ConstantSet k_;
  double m0_;
  ZoneSelection zone_;
};

}  // namespace varno::geo
