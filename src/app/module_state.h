// The module state of the program: one instance, created in main() and passed
// by reference to every window and procedure that needs it.
#pragma once

#include "batch/convert.h"
#include "geodesy/projection.h"
#include "params/store.h"
#include "params/transform.h"

namespace varno {

struct ModuleState {
  params::ParamStore store;  // grid store and parameter file header
  params::ConversionMode mode = params::ConversionMode::kGridOnly;
  geo::GeoState geo;             // ellipsoid table, selected zone, constant sets
  int fieldSide = 1;             // FieldSide: 1 pre-earthquake fields, 2 post-earthquake
  batch::BatchFiles files;       // batch input/result file state
  bool cancelRequested = false;  // CancelRequested, shared by loading and batch runs
};

}  // namespace varno
