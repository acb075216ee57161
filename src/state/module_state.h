// The module state of the program: one instance, created in main() and passed
// by reference to every window and procedure that needs it.
#pragma once

#include "batch/convert.h"
#include "geodesy/projection.h"
#include "map/model.h"
#include "params/store.h"
#include "params/transform.h"

namespace varno {

// Which side of the main window a display step writes: the pre-earthquake
// fields on the left or the post-earthquake fields on the right.
enum class FieldSide : int { kPre = 1, kPost = 2 };

struct ModuleState {
  params::ParamStore store;  // grid store and parameter file header
  params::ConversionMode mode = params::ConversionMode::kGridOnly;
  geo::GeoState geo;  // ellipsoid table, selected zone
  FieldSide fieldSide = FieldSide::kPre;
  batch::BatchFiles files;       // batch input/result file state
  bool cancelRequested = false;  // CancelRequested, shared by loading and batch runs
  map::SinglePoint lastPoint;    // the main window's last conversion, for the range picture
  map::RunPoints lastRun;        // the points of the last batch run, for the range picture
};

}  // namespace varno
