// Gauss-Kruger projection of the plane rectangular system: forward (latitude,
// longitude to X, Y) and inverse, with meridian convergence and scale factor.
// Every operation follows the evaluation order of the formulas literally; a
// non-finite intermediate throws OverflowError at the step where it appears.
#pragma once

#include "geodesy/ellipsoid.h"

namespace varno::geo {

// Meridian arc from the equator to phi (radians), metres.
double MeridianArc(double phi, const ConstantSet& k);

// Shared geodetic module state: the ellipsoid table, the selected zone and the
// constant sets of the two directions.
struct GeoState {
  EllipsoidTable ellipsoids = MakeEllipsoidTable();
  ZoneSelection zone{9, 360000.0, 1395000.0};
  ConstantSet forward;
  ConstantSet inverse;
};

// Derive st.forward (with S0) or st.inverse from `entry` and st.zone. A set
// already derived from the same entry and origin is kept as it is: the
// derivation is pure, so the results are bit-identical.
void DeriveForward(GeoState& st, int entry);
void DeriveInverse(GeoState& st, int entry);

struct PlaneResult {
  double x = 0, y = 0, gamma = 0, m = 0;
};

// CalcBl2xy: phi, lambda in radians. With `initialise` the forward constants
// are derived first from `entry` and st.zone.
PlaneResult CalcBl2xy(GeoState& st, bool initialise, double phi, double lambda, int entry);

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

// Steps 2 to 9 of the inverse computation (everything after the derivation of
// the constants): S0, the Halley footpoint iteration, the inverse series. The
// outputs are written into `out` as soon as each is computed, in the order phi,
// lambda, gamma, m, so that a caller whose handler stops at an error keeps what
// was written before it. Throws OverflowError at a non-finite intermediate.
void InverseFromConstants(const ConstantSet& k, double originScale, double x, double y,
                          GeoResult& out, NotSettledHook* hook = nullptr);

// Within this distance (metres) of a zone origin in X and in Y, every step of
// the inverse stays finite and the footpoint settles: it cannot fail there.
inline constexpr double kInverseSafeRange = 1e6;

// CalcXy2bl without error handling: derives st.inverse when `initialise`, then
// InverseFromConstants. Errors propagate.
GeoResult CalcXy2blPure(GeoState& st, bool initialise, int entry, double x, double y,
                        NotSettledHook* hook = nullptr);

}  // namespace varno::geo
