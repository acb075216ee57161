// The input formats of a batch run: the program's own blank-separated text,
// CSV from a spreadsheet, and SIMA coordinate files.
#pragma once

#include <string_view>

#include "batch/lines.h"

namespace varno::batch {

enum class InputFormat { kText, kCsv, kSima };

// The name of a format as the dialog lists it (UTF-8).
std::string_view FormatName(InputFormat f);

// Splits a CSV line at commas: fields 1..3 without the blanks around them,
// field 4 the rest of the line after the third comma, exactly as read.
LineFields SplitCsvLine(std::string_view line);

// ClassifyLine for CSV lines: empty, comment ("#" as the very first byte),
// other (fewer than two fields, or field 1 or 2 not a number) or data.
LineKind ClassifyCsvLine(std::string_view line, LineFields& fields);

}  // namespace varno::batch
