// The display steps of the main window: doCalcBl2xy reads one side's
// latitude/longitude fields and writes its X/Y, convergence and scale;
// doCalcXy2bl writes one side's latitude/longitude, convergence and scale.
// Each reports its own failures (status line or message box) and returns
// whether it completed, so that the caller stops even when the fields still
// hold an earlier result.
#pragma once

#include "state/module_state.h"

namespace varno::geo {
class Projection;
}  // namespace varno::geo

namespace varno::ui {

class FrmMain;

// On success phi, lambda are the point in radians and x, y in metres. After a
// failed range test phi, lambda hold decimal degrees and x, y are untouched.
bool DoCalcBl2xy(FrmMain& w, const geo::Projection& proj, FieldSide side, double& phi,
                 double& lambda, double& x, double& y);

// phi, lambda come back in decimal degrees.
bool DoCalcXy2bl(FrmMain& w, const geo::Projection& proj, FieldSide side, double x, double y,
                 double& phi, double& lambda);

}  // namespace varno::ui
