#include "map/recorder.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "geodesy/angles.h"
#include "geodesy/ellipsoid.h"

namespace varno::map {

bool OutcomeOfLine(batch::LineOutcome line, Outcome& outcome) {
  switch (line) {
    case batch::LineOutcome::kCopied:
      return false;
    case batch::LineOutcome::kGrid:
      outcome = Outcome::kGrid;
      return true;
    case batch::LineOutcome::kRep:
      outcome = Outcome::kRep;
      return true;
    case batch::LineOutcome::kNotConverted:
      outcome = Outcome::kNone;
      return true;
    case batch::LineOutcome::kRangeFailure:
      outcome = Outcome::kRange;
      return true;
  }
  return false;
}

RunRecorder::RunRecorder(RunPoints& run, bool latLonInput, const geo::Projection* projection,
                         std::size_t maxPoints)
    : run_(run), latLon_(latLonInput), projection_(projection), max_(maxPoints) {
  run_.Clear();
}

void RunRecorder::OnLineCount(long long lines) {
  const auto wanted = static_cast<std::size_t>(std::max(0LL, lines));
  // A run longer than the maximum is thinned evenly: every data line is one
  // of `lines`, so every stride-th of them stays within it.
  if (max_ != 0 && wanted > max_) stride_ = static_cast<long long>((wanted + max_ - 1) / max_);
  // Room for the points at once, rather than moving them all at each growth.
  try {
    const std::size_t before = run_.points.capacity();
    run_.points.reserve(max_ != 0 ? std::min(wanted, max_) : wanted);
    // Fresh memory is written by the thread that hands the lines out, which
    // the dialog's run waits for: its pages are made ready beside it instead.
    if (run_.points.capacity() != before) {
      prefault_ = std::make_unique<BackgroundPrefault>(run_.points.data(),
                                                       run_.points.capacity() * sizeof(MapPoint));
    }
  } catch (const std::exception&) {
    // Only a hint: the points grow as they come.
  }
}

void RunRecorder::OnLine(const batch::LineResult& line) {
  Outcome outcome;
  if (!OutcomeOfLine(line.outcome, outcome)) return;
  bool keep = max_ == 0;
  if (!keep && dataLines_++ % stride_ == 0 && sampledKept_ < max_) {
    ++sampledKept_;
    keep = true;
  }
  if (!keep && outcome != Outcome::kGrid && notGridKept_ < max_) {
    ++notGridKept_;
    keep = true;
  }
  if (!keep) {
    ++run_.droppedBy[static_cast<int>(outcome)];
    return;
  }
  const batch::LinePoint& lp = line.point;
  MapPoint& p = run_.points.emplace_back();
  p.line = lp.lineNumber;
  p.name.assign(lp.name.substr(0, kMaxNameBytes));
  p.outcome = outcome;
  p.latLonInput = latLon_;
  if (latLon_) {
    p.inB = lp.in1;
    p.inL = lp.in2;
  }
  p.h = lp.inH;
  p.placed = lp.hasPlane;
  p.x = lp.x;
  p.y = lp.y;
  if (!p.placed && latLon_ && projection_ != nullptr) {
    // Only for the picture: a point far outside its zone may not project.
    try {
      const double phi = geo::DmsToDeg(lp.in1).degrees * geo::kDegToRad;
      const double lambda = geo::DmsToDeg(lp.in2).degrees * geo::kDegToRad;
      const geo::PlaneResult xy = projection_->Forward(phi, lambda);
      if (std::isfinite(xy.x) && std::isfinite(xy.y)) {
        p.placed = true;
        p.x = xy.x;
        p.y = xy.y;
      }
    } catch (const std::exception&) {
    }
  }
  p.corrected = lp.corrected;
  p.x2 = lp.x2;
  p.y2 = lp.y2;
  p.h2 = lp.h2;
}

}  // namespace varno::map
