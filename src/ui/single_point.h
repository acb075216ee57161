// The single-point conversion of the main window: the arrow button's handler
// and the two chains CalcFromXy (X/Y input) and CalcFromBl (latitude/longitude
// input).
#pragma once

namespace varno::ui {

class FrmMain;

// picCalc1 click or Enter: parses the zone item, runs the chain of the
// selected input format and enables cmdPrint; any failure on the way ends in
// one message box and leaves cmdPrint disabled.
void ArrowHandler(FrmMain& w);

void CalcFromXy(FrmMain& w);
void CalcFromBl(FrmMain& w);

}  // namespace varno::ui
