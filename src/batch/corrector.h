// The point transformation of a batch run as a PointCorrector.
#pragma once

#include "batch/sima.h"
#include "geodesy/projection.h"
#include "params/store.h"
#include "params/transform.h"
#include "text/report.h"

namespace varno::batch {

// TransformPoint in the run's mode and zone, reporting to `report`. A point
// without parameters in the grid-only mode, and a point whose computation
// fails, is not converted. Cheap to make: it holds references only.
class TransformCorrector : public PointCorrector {
 public:
  TransformCorrector(const params::ParamStore& store, params::ConversionMode mode,
                     const geo::Projection& proj, const Reporter& report)
      : store_(store), mode_(mode), proj_(proj), report_(report) {}
  CorrectedPoint Correct(double x, double y, double h) const override;

 private:
  const params::ParamStore& store_;
  params::ConversionMode mode_;
  const geo::Projection& proj_;
  Reporter report_;
};

// The reason given for a point without parameters (UTF-8).
inline constexpr const char* kNoParametersReason = "変換パラメータの範囲外";

}  // namespace varno::batch
