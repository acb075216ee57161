// The input formats of a batch run: the program's own blank-separated text,
// CSV from a spreadsheet, and SIMA coordinate files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// What a finished run tells its caller beyond the result file.
struct RunTotals {
  long long lines = 0;         // input lines handled
  long long points = 0;        // data lines (text, CSV) or A01 records (SIMA)
  long long notConverted = 0;  // SIMA points left unconverted
  // The first of them, one line each (UTF-8): record number, point number,
  // name and reason.
  std::vector<std::string> firstNotConverted;
  std::string reportPath;  // SIMA: the run report beside the result
  static constexpr std::size_t kListed = 10;
};

// The warning that ends a run (UTF-8, lines separated by CR LF), or empty:
// a non-empty input in which no line was read as a point, naming the format
// chosen; or the SIMA points that were left unconverted.
std::string RunWarningText(const RunTotals& t, InputFormat f);

}  // namespace varno::batch
