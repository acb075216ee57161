#include "batch/corrector.h"

#include "text/errors.h"

namespace varno::batch {

CorrectedPoint TransformCorrector::Correct(double x, double y, double h) const {
  CorrectedPoint c;
  try {
    params::TransformOutput t;
    // A SIMA record holds no latitude or longitude.
    const params::TransformStatus status =
        params::TransformPlanePoint(store_, mode_, proj_, report_, x, y, h, t);
    if (status == params::TransformStatus::kErr) {
      c.reason = kNoParametersReason;
      return c;
    }
    c.outcome = status == params::TransformStatus::kRep ? PointOutcome::kRep : PointOutcome::kGrid;
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
