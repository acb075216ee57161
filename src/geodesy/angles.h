// Packed degrees-minutes-seconds angles (ddmmss.sssss / dddmmss.sssss).
#pragma once

#include <cstdint>
#include <string>

namespace varno::geo {

struct DmsParts {
  double degrees = 0;  // signed decimal degrees
  int sign = 0;        // -1, 0, +1
  int16_t deg = 0;
  int16_t min = 0;
  double sec = 0;
};

// Packed value to signed decimal degrees and its parts (with the 1e-13 guard).
// Throws OverflowError when a part leaves the 16-bit range.
DmsParts DmsToDeg(double packed);

struct DmsFormatted {
  int16_t deg = 0;
  int16_t min = 0;
  double sec = 0;
  char sign = ' ';  // '-' for a negative angle, ' ' otherwise
};

// Decimal degrees to parts with seconds rounded to 5 (FormatDms5) or 3
// (FormatDms3) decimals, carrying a rounded 60 into minutes and degrees with the
// same rounding as the text finally shown. Throws OverflowError.
DmsFormatted FormatDms5(double degrees);
DmsFormatted FormatDms3(double degrees);

// The main window's packed angle text: sign text, degrees with "###", minutes
// with "00", seconds with "00.00000" (Text5) or "00.000" (Text3).
std::string DmsText5(const DmsFormatted& parts);
std::string DmsText3(const DmsFormatted& parts);

}  // namespace varno::geo
