#include "batch/lines.h"

#include "text/number.h"

namespace varno::batch {

LineFields SplitDataLine(std::string_view line) {
  LineFields f;
  std::size_t p = 0;
  const std::size_t n = line.size();
  while (p < n) {
    const char c = line[p];
    if (c == ' ' || c == '\t') {
      ++p;
      continue;
    }
    ++f.k;
    if (f.k == 4) {
      f.field[3] = line.substr(p);
      break;
    }
    const std::size_t q = line.find(' ', p);
    if (q == std::string_view::npos) {
      f.field[f.k - 1] = line.substr(p);
      break;
    }
    f.field[f.k - 1] = line.substr(p, q - p);
    p = q + 1;
  }
  return f;
}

LineKind ClassifyLine(std::string_view line, LineFields& fields) {
  if (line.empty()) return LineKind::kEmpty;
  if (line[0] == '#') return LineKind::kComment;
  fields = SplitDataLine(line);
  if (fields.k < 2 || !ReadNumericField(fields.field[0], fields.value[0], fields.known[0]) ||
      !ReadNumericField(fields.field[1], fields.value[1], fields.known[1]))
    return LineKind::kOther;
  return LineKind::kData;
}

}  // namespace varno::batch
