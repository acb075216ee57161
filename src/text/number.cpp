#include "text/number.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

#include "text/errors.h"

namespace varno {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Optional sign, digits with at most one "." and at least one digit.
bool IsNumberBody(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digit = false;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// The usual field, at most 2^53 as an integer of its digits and at most 22
// decimals, is that integer divided by a power of ten: both are exact doubles,
// so the one division rounds the value correctly, as the general conversion
// does, and costs a fraction of it. False for any other field.
bool ExactQuotient(std::string_view digits, double& value) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  uint64_t m = 0;
  int significant = 0;
  int decimals = 0;
  bool point = false;
  for (const char c : digits) {
    if (c == '.') {
      point = true;
      continue;
    }
    if (point) ++decimals;
    if (m == 0 && c == '0') continue;  // leading zeros add no digit
    if (++significant > 19) return false;
    m = m * 10 + static_cast<uint64_t>(c - '0');
  }
  if (m > (uint64_t{1} << 53) || decimals > 22) return false;
  value = static_cast<double>(m) / kPow10[decimals];
  return true;
}

}  // namespace

double ParseNumber(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  if (!IsNumberBody(s)) throw ConversionError(std::string(text));

  const bool negative = s.front() == '-';
  if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
  double value = 0;
  if (ExactQuotient(s, value)) return negative ? -value : value;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) throw OverflowError("数値");
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
    throw ConversionError(std::string(text));
  }
  return negative ? -value : value;
}

bool IsNumericField(std::string_view field) {
  return IsNumberBody(field);
}

}  // namespace varno
