// Collects the points of a batch run for the parameter-range picture, one per
// data line in input order, as the run driver reports its lines.
#pragma once

#include <cstddef>
#include <memory>

#include "batch/convert.h"
#include "batch/line_converter.h"
#include "geodesy/projection.h"
#include "map/model.h"
#include "text/memory.h"

namespace varno::map {

// The picture's outcome of a converted line; false for a copied line.
bool OutcomeOfLine(batch::LineOutcome line, Outcome& outcome);

// Names are kept up to this many bytes (a name is the whole rest of its line).
inline constexpr std::size_t kMaxNameBytes = 256;

class RunRecorder : public batch::LineObserver {
 public:
  // Clears `run` and fills it during the run. `latLonInput`: the input lines
  // give latitude/longitude. `maxPoints` 0 keeps every point. Otherwise a run
  // whose line count exceeds it keeps every k-th data line, spread over the
  // whole file, and besides them up to `maxPoints` points that were not
  // corrected with the grid, which the picture is mostly looked at for. A run
  // whose count is not known keeps its first `maxPoints` points and those
  // not corrected with the grid among the rest, as many again. The rest are
  // only counted (run.droppedBy). With `projection` (the run's
  // zone), a point refused by the range test is placed where its
  // latitude/longitude projects, so that the picture shows how far off it is.
  RunRecorder(RunPoints& run, bool latLonInput, const geo::Projection* projection = nullptr,
              std::size_t maxPoints = 0);
  void OnLineCount(long long lines) override;
  void OnLine(const batch::LineResult& line) override;

 private:
  RunPoints& run_;
  bool latLon_;
  const geo::Projection* projection_;
  std::size_t max_;
  long long stride_ = 1;         // every stride_-th data line is kept
  long long dataLines_ = 0;      // data lines seen
  std::size_t sampledKept_ = 0;  // points kept as every stride_-th
  std::size_t notGridKept_ = 0;  // points kept besides those because of their outcome
  std::unique_ptr<BackgroundPrefault> prefault_;  // the room reserved for the points
};

}  // namespace varno::map
