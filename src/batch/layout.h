// The result file's header block, column titles and fixed-width data lines.
// Everything here is CP932 bytes with CR LF line ends, except where a
// function says UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/angles.h"

namespace varno {
class NumberPattern;
}  // namespace varno

namespace varno::batch {

enum class Converter { kBl, kXy };  // Bl_File, XY_File

// The result file's name stands at this column of the first header line.
inline constexpr std::size_t kResultNameColumn = 70;

// The variable parts of the header, CP932 bytes.
struct HeaderFields {
  std::string outFileName;   // result file name (last path component)
  std::string paraFileName;  // parameter file name
  std::string paraVersion;
  std::string rangeText;
  std::string methodText;
  long long paraZoneNo = 0;
  std::string inFileName;  // input file name
};

// The column titles (UTF-8) for a converter; `angles` asks for the result
// latitude/longitude columns of the X/Y converter (the Bl converter has them
// always).
std::vector<std::string_view> TitleLines(Converter c, bool withInput, bool angles);

// Appends the whole header block, titles and the empty line after them.
void AppendHeader(Converter c, bool withInput, bool angles, const HeaderFields& h,
                  std::string& out);

// UTF-8 to CP932 for names shown in the header: a character that CP932 cannot
// hold (or an invalid UTF-8 byte) becomes "?" instead of failing the run.
std::string ToCp932Lenient(std::string_view utf8);

// What one data line shows.
struct PointColumns {
  double in1 = 0, in2 = 0, inH = 0;  // input latitude/longitude (packed) or X/Y, H, as read
  bool corrected = false;            // false: "-9999. " angle markers, blank X, Y, H
  geo::DmsFormatted lat, lon;        // result angles, when corrected
  double x2 = 0, y2 = 0, h2 = 0;     // result X, Y, H, when corrected
  std::string_view name;             // field 4 exactly as read
  std::string_view status;           // CP932 status text
  // in1, in2, inH as their fields were written: an input cell shows the text
  // where its pattern prints exactly that for the number; empty, the number is
  // formatted.
  std::string_view in1Text, in2Text, inHText;
};

// Builds data lines into the caller's buffer. A line's cells up to the name
// are written into one working buffer and appended at once (appending some
// twenty cells one by one costs more than writing them); the name, the status
// and the line end follow. A line costs no allocation.
class LineBuilder {
 public:
  LineBuilder();
  // Latitude/longitude converter layout.
  void AppendBl(bool withInput, const PointColumns& p, std::string& out);
  // X/Y converter layout; `angles` adds the result latitude/longitude columns.
  void AppendXy(bool withInput, bool angles, const PointColumns& p, std::string& out);

 private:
  // Each writes its cells at `c` and returns their end.
  char* PutAngle(const geo::DmsFormatted& a, std::size_t width, char* c);
  char* PutInputLatLon(const PointColumns& p, char* c);
  char* PutInputXyh(const PointColumns& p, char* c);
  char* PutResultXyh(const PointColumns& p, char* c);
  char* PutAngles(const PointColumns& p, char* c);
  char* PutNumber(double v, int pattern, std::size_t width, bool right, char* c);
  char* PutInput(double v, std::string_view text, int pattern, std::size_t width, bool right,
                 char* c);
  // Appends the cells written up to `c`, then the name, the status and CR LF.
  void Finish(const char* c, const PointColumns& p, std::string& out);

  const NumberPattern* patterns_;  // the column patterns
  std::string cell_;               // a number the quick path cannot write
  // Every cell before the name has a fixed width: the widest layout writes
  // some 125 bytes there.
  char cells_[256];
};

}  // namespace varno::batch
