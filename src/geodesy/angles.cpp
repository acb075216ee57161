#include "geodesy/angles.h"

#include <cmath>

#include "text/errors.h"
#include "text/format.h"

namespace varno::geo {

namespace {

constexpr std::string_view kSec5 = "00.00000";
constexpr std::string_view kSec3 = "00.000";

// Splits |degrees| into degrees, minutes and seconds; a seconds text that
// rounds to "60" carries into the minutes, and 60 minutes into the degrees.
// Seconds below `noCarryBelow` cannot round up to 60 with the pattern's
// decimals, so only the rare larger ones are formatted for the test.
DmsFormatted Split(double degrees, const NumberPattern& secPattern, double noCarryBelow) {
  DmsFormatted p;
  p.sign = degrees < 0 ? '-' : ' ';
  double w = Checked(std::fabs(degrees) + 1e-11, "FormatDms");
  p.deg = FloorToInt16(w);
  w = Checked((w - p.deg) * 60.0, "FormatDms");
  p.min = FloorToInt16(w);
  p.sec = Checked((w - p.min) * 60.0, "FormatDms");
  if (p.sec < noCarryBelow) return p;
  const std::string text = secPattern.Format(p.sec);
  if (text.compare(0, 2, "60") == 0) {
    p.sec = 0;
    p.min = AddInt16(p.min, 1);
    if (p.min == 60) {
      p.min = 0;
      p.deg = AddInt16(p.deg, 1);
    }
  }
  return p;
}

std::string Text(const DmsFormatted& p, const NumberPattern& secPattern) {
  static const NumberPattern kDeg("###");
  static const NumberPattern kMin("00");
  std::string s(1, p.sign);
  kDeg.AppendTo(p.deg, s);
  kMin.AppendTo(p.min, s);
  secPattern.AppendTo(p.sec, s);
  return s;
}

const NumberPattern& Sec5() {
  static const NumberPattern p(kSec5);
  return p;
}
const NumberPattern& Sec3() {
  static const NumberPattern p(kSec3);
  return p;
}

}  // namespace

DmsParts DmsToDeg(double packed) {
  DmsParts r;
  r.sign = packed > 0 ? 1 : (packed < 0 ? -1 : 0);
  double w = Checked(std::fabs(packed / 10000.0) + 1e-13, "DmsToDeg");
  r.deg = FloorToInt16(w);
  w = Checked((w - r.deg) * 100.0, "DmsToDeg");
  r.min = FloorToInt16(w);
  r.sec = Checked((w - r.min) * 100.0, "DmsToDeg");
  r.degrees = Checked(((r.sec / 60.0 + r.min) / 60.0 + r.deg) * r.sign, "DmsToDeg");
  return r;
}

DmsFormatted FormatDms5(double degrees) {
  return Split(degrees, Sec5(), 59.9999);
}
DmsFormatted FormatDms3(double degrees) {
  return Split(degrees, Sec3(), 59.99);
}

std::string DmsText5(const DmsFormatted& parts) {
  return Text(parts, Sec5());
}
std::string DmsText3(const DmsFormatted& parts) {
  return Text(parts, Sec3());
}

}  // namespace varno::geo
