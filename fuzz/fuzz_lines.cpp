// Line splitting and classification: fields are pieces of the line in order,
// fields 1 to 3 hold no blank, and a data line starts with two numeric fields.
#include <cstdint>
#include <string_view>

#include "batch/lines.h"
#include "fuzz_support.h"
#include "text/number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varno;
  using namespace varno::batch;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  LineFields f;
  const LineKind kind = ClassifyLine(line, f);
  const LineFields s = SplitDataLine(line);
  fuzz::Require(s.k >= 0 && s.k <= 4, "0 to 4 fields");
  const char* pos = line.data();
  for (int i = 0; i < s.k; ++i) {
    const std::string_view v = s.field[i];
    if (v.empty()) continue;
    fuzz::Require(v.data() >= pos && v.data() + v.size() <= line.data() + line.size(),
                  "fields are pieces of the line, in order");
    pos = v.data() + v.size();
    if (i < 3) fuzz::Require(v.find(' ') == std::string_view::npos, "no blank inside fields 1-3");
  }
  if (line.empty()) fuzz::Require(kind == LineKind::kEmpty, "empty line");
  if (!line.empty() && line[0] == '#') fuzz::Require(kind == LineKind::kComment, "comment");
  if (kind == LineKind::kData) {
    fuzz::Require(f.k >= 2 && IsNumericField(f.field[0]) && IsNumericField(f.field[1]),
                  "data line has two numeric fields");
  }
  return 0;
}
