// Number patterns: no infinity or NaN ever printed; for the program's own
// patterns the text reads back as the value rounded to the last decimal, and
// a text taken as it is is the one the pattern prints.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "../tests/text/exact_rounding.h"
#include "fuzz_support.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"

namespace {

struct Known {
  const char* pattern;
  int decimals;
};
constexpr Known kPatterns[] = {{"######.0000", 4},
                               {"#,###,##0.0000", 4},
                               {" ##0.00000000", 8},
                               {"#.00000000", 8},
                               {"000000.00000", 5},
                               {"0000000.00000", 5},
                               {"######0.0000", 4},
                               {"####0.0000", 4},
                               {"#####0.00000", 5},
                               {"###,###,###", 0},
                               {"#0.0", 1},
                               {"##0", 0},
                               {"#0", 0},
                               {"00", 0},
                               {"00.00000", 5},
                               {"00.000", 3},
                               {"#0.00000", 5},
                               {"#0.000", 3},
                               {"###", 0}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varno;
  if (size < 9) return 0;
  double value;
  std::memcpy(&value, data + 1, sizeof value);
  const std::string_view rest(reinterpret_cast<const char*>(data + 9), size - 9);
  const Known& k = kPatterns[data[0] % std::size(kPatterns)];

  // The rest as a number's text: taken as it is only when it is what the
  // pattern prints for its number.
  if (const auto tail = NumberPattern(k.pattern).AsReadTail(rest)) {
    double read = 0;
    fuzz::Require(ReadNumber(rest, read) == NumberRead::kOk &&
                      FormatNumber(read, k.pattern) == std::string(rest) + std::string(*tail),
                  "a text taken as it is is the one printed");
  }

  // A fuzzed pattern: any text is a pattern; the output is never non-finite.
  try {
    const std::string s = FormatNumber(value, rest);
    const bool plain = rest.find_first_not_of("0#.,") == std::string_view::npos &&
                       std::count(rest.begin(), rest.end(), '.') <= 1;
    if (plain) {
      fuzz::Require(s.find_first_not_of("0123456789.,-") == std::string::npos,
                    "only digits, point, commas and sign printed");
    }
  } catch (const OverflowError&) {
    fuzz::Require(!std::isfinite(value), "only non-finite values are refused");
  }

  if (!std::isfinite(value)) return 0;
  // Every digit agrees with the exact value rounded half away from zero.
  const int decimals = data[0] % 12;
  std::string want = testing::ExactRounded(value, decimals);
  if (value < 0) want = "-" + want;  // a negative value keeps its sign
  fuzz::Require(
      FormatNumber(value, decimals == 0 ? "0" : "0." + std::string(decimals, '0')) == want,
      "digits are the exact value rounded half away from zero");

  if (std::fabs(value) > 1e15) return 0;
  std::string s = FormatNumber(value, k.pattern);
  std::string digits;
  for (char c : s) {
    if (c != ',' && c != ' ') digits += c;
  }
  if (digits.empty() || digits == "-") {
    fuzz::Require(std::fabs(value) < 0.5, "an empty text stands for a value that rounds to 0");
    return 0;
  }
  const double back = ParseNumber(digits);
  const double unit = std::pow(10.0, -k.decimals);
  fuzz::Require(std::fabs(back - value) <= unit / 2 * (1 + 1e-9) + std::fabs(value) * 1e-15,
                "text reads back as the rounded value");
  return 0;
}
