// The single-point conversion of the main window: the arrow button's handler
// and the two chains CalcFromXy (X/Y input) and CalcFromBl (latitude/longitude
// input).
#pragma once

namespace varno::geo {
class Projection;
}  // namespace varno::geo

namespace varno::ui {

class FrmMain;

// picCalc1 click or Enter: parses the zone item, runs the chain of the
// selected input format and enables cmdPrint; any failure on the way ends in
// one message box and leaves cmdPrint disabled.
void ArrowHandler(FrmMain& w);

// `proj` is GRS80 at the zone the handler selected.
void CalcFromXy(FrmMain& w, const geo::Projection& proj);
void CalcFromBl(FrmMain& w, const geo::Projection& proj);

}  // namespace varno::ui
