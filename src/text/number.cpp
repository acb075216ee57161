#include "text/number.h"

#include <charconv>
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

}  // namespace

double ParseNumber(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  if (!IsNumberBody(s)) throw ConversionError(std::string(text));

  const bool negative = s.front() == '-';
  if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
  double value = 0;
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
