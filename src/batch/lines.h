// The batch input and result file formats: line splitting, classification,
// the header block, column titles and fixed-width data lines. Lines are CP932
// bytes; point names pass through unchanged.
#pragma once

#include <string>
#include <string_view>

namespace varno::batch {

struct LineFields {
  std::string_view field[4];  // field 1..4 at index 0..3; views into the line
  int k = 0;                  // number of fields found
  // Fields 1 and 2 as the classification read them: the value ParseNumber
  // gives, where `known`.
  double value[2] = {};
  bool known[2] = {};
};

// Splits at runs of half-width spaces; a tab is skipped only where a field
// would start; field 4 is the rest of the line.
LineFields SplitDataLine(std::string_view line);

enum class LineKind { kEmpty, kComment, kOther, kData };

// Empty, comment ("#" as the very first byte), other (k < 2 or field 1 or 2 not
// numeric) or data. `fields` receives the split (for data lines), with fields 1
// and 2 read (ReadNumericField).
LineKind ClassifyLine(std::string_view line, LineFields& fields);

enum class Process { kBl = 1, kXy = 2, kXyBl = 3 };  // opt1, opt2, opt3

}  // namespace varno::batch
