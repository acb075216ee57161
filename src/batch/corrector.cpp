#include "batch/corrector.h"

#include "text/errors.h"

namespace varno::batch {

CorrectedPoint TransformCorrector::Correct(double x, double y, double h) const {
  CorrectedPoint c;
  try {
    params::TransformOutput t;
    const std::string status =
        params::TransformPoint(store_, mode_, geo_, report_, x, y, h, t, 0.0, 0.0);
    if (status == params::kStatusErr) {
      c.reason = kNoParametersReason;
      return c;
    }
    c.outcome = status == params::kStatusRep ? PointOutcome::kRep : PointOutcome::kGrid;
    c.x = t.x2;
    c.y = t.y2;
    c.h = t.h2;
  } catch (const VarnoError& e) {
    c.outcome = PointOutcome::kNotConverted;
    c.reason = e.description();
  }
  return c;
}

}  // namespace varno::batch
