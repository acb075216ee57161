// The independent reference of the number-pattern tests: a value's digits
// rounded half away from zero, worked out on its exact decimal expansion
// (every double has a finite one). Used by the text tests and the pattern
// fuzz target.
#pragma once

#include <charconv>
#include <cmath>
#include <string>

namespace varno::testing {

// |v| rounded half up at `decimals` places, as "digits.decimals" without
// leading zeros (one "0" before the point at least).
inline std::string ExactRounded(double v, int decimals) {
  std::string exact(1500, '\0');  // 309 integer digits, the point, 1100 decimals
  const auto res = std::to_chars(exact.data(), exact.data() + exact.size(), std::fabs(v),
                                 std::chars_format::fixed, 1100);
  exact.resize(static_cast<std::size_t>(res.ptr - exact.data()));
  const std::size_t point = exact.find('.');
  std::string digits = exact.substr(0, point) + exact.substr(point + 1, decimals);
  if (exact[point + 1 + decimals] >= '5') {
    int k = static_cast<int>(digits.size()) - 1;
    for (; k >= 0 && digits[k] == '9'; --k) digits[k] = '0';
    if (k < 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[k];
    }
  }
  const std::size_t intLen = digits.size() - decimals;
  std::string out = digits.substr(0, intLen);
  while (out.size() > 1 && out[0] == '0') out.erase(0, 1);
  if (decimals > 0) out += "." + digits.substr(intLen);
  return out;
}

}  // namespace varno::testing
