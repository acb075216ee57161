// The point transformation from the pre- to the post-earthquake datum, and
// CalcXy2bl with its own error handler.
#pragma once

#include "geodesy/projection.h"
#include "params/store.h"
#include "text/errors.h"
#include "text/report.h"

namespace varno::params {

enum class ConversionMode : int { kGridThenRep = 1, kGridOnly = 2, kRepOnly = 3 };

// How a point was transformed: by the grid, by the representative point, or
// not at all (no parameters for it in the grid-only mode).
enum class TransformStatus { kGrid, kRep, kErr };

// The status text of the result file and the single-point display (UTF-8):
// "", "*代表点" or "Err".
const char* StatusText(TransformStatus status);

// kAdd adds RepPoint, kSubtract subtracts it; any other value writes nothing.
enum class Direction : int { kAdd = 1, kSubtract = 2 };

void ShiftByRepPoint(const ParamStore& store, Direction direction, double x, double y, double h,
                     double& x2, double& y2, double& h2);

// CalcXy2bl with its handler: an overflow sets the main status (green) to
// "X,Yの値に問題があります。計算は行いません。 in CalcXy2bl", any other error
// shows the message box; then it returns normally with the outputs written
// before the error (phi, lambda, gamma, m in that order).
geo::GeoResult CalcXy2bl(const geo::Projection& proj, double x, double y, const Reporter& report);
// The same, writing into `io`: outputs not reached before an error, or left
// out by `outputs`, keep the values `io` held.
void CalcXy2bl(const geo::Projection& proj, double x, double y, geo::GeoResult& io,
               const Reporter& report, geo::Outputs outputs = geo::Outputs::kAll);

// CalcXy2bl's handler: the green main status for an overflow, else the message
// box (OK only, the program title) with the error's description in front.
void ReportCalcXy2blError(const VarnoError& e, const Reporter& report);

inline constexpr const char* kXy2blOverflowText =
    "X,Yの値に問題があります。計算は行いません。 in CalcXy2bl";
inline constexpr const char* kXy2blErrorText =
    "X,Yの値に問題があると思われます。計算は行いません。 in CalcXy2bl";

struct TransformOutput {
  double x2 = 0, y2 = 0, h2 = 0;  // metres
  double b2 = 0, l2 = 0;          // radians
};

// TransformPoint: corrects (x, y, h) by the grid or RepPoint as `mode` says,
// writes its message into the main status, completes the corrected point in
// latitude and longitude with `proj` (GRS80 at the selected zone) and returns
// how it went. On kErr `out` is not written. Errors of the interpolation and
// the additions propagate.
TransformStatus TransformPoint(const ParamStore& store, ConversionMode mode,
                               const geo::Projection& proj, const Reporter& report, double x,
                               double y, double h, TransformOutput& out);

// TransformPoint for a result that shows no latitude or longitude: the
// corrected point's inverse runs only outside kInverseSafeRange of the
// origin, where it can report something (within it, it can neither fail nor
// report). The messages and errors are TransformPoint's; b2 and l2 are not
// written.
TransformStatus TransformPlanePoint(const ParamStore& store, ConversionMode mode,
                                    const geo::Projection& proj, const Reporter& report, double x,
                                    double y, double h, TransformOutput& out);

// TransformPoint up to the corrected plane point: the correction and its
// status message, without the latitude and longitude. On kErr `out` is not
// written; otherwise x2, y2, h2 are.
TransformStatus CorrectPoint(const ParamStore& store, ConversionMode mode, const Reporter& report,
                             double x, double y, double h, TransformOutput& out);

}  // namespace varno::params
