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

// Powers of ten that are exact Doubles.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual field, at most 19 digits, at most 2^53 as an integer and at most
// 22 decimals, is that integer divided by a power of ten: both are exact
// Doubles, so the one division gives the nearest Double, as the general
// conversion does, for a fraction of its cost.
bool ExactQuotient(uint64_t m, std::size_t digits, std::size_t decimals, bool negative,
                   double& out) {
  if (digits > 19 || m > (uint64_t{1} << 53) || decimals > 22) return false;
  const double value = static_cast<double>(m) / kPow10[decimals];
  out = negative ? -value : value;
  return true;
}

// A number's text without blanks: an optional sign, digits with at most one
// ".", at least one digit. One pass checks the form and gathers the digits as
// an integer.
struct NumberBody {
  bool ok = false;
  bool negative = false;
  std::size_t signLength = 0, intDigits = 0, decimals = 0;
  uint64_t m = 0;  // wraps beyond 19 digits, and is then not used
};

[[gnu::always_inline]] inline NumberBody ReadBody(std::string_view s) {
  const std::size_t n = s.size();
  const std::size_t i = n > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
  uint64_t m = 0;
  auto digits = [&](std::size_t k) {
    for (; k < n; ++k) {
      const auto d = static_cast<unsigned>(static_cast<unsigned char>(s[k])) - '0';
      if (d > 9) break;
      m = m * 10 + d;
    }
    return k;
  };
  std::size_t k = digits(i);
  const std::size_t intDigits = k - i;
  std::size_t decimals = 0;
  if (k < n && s[k] == '.') {
    const std::size_t f = k + 1;
    k = digits(f);
    decimals = k - f;
  }
  return {k == n && intDigits + decimals > 0, n > 0 && s[0] == '-', i, intDigits, decimals, m};
}

}  // namespace

NumberRead ReadNumber(std::string_view text, double& out) {
  std::string_view s = text;
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);

  // The usual field is the quotient of its digits (ExactQuotient); other
  // fields take the general conversion.
  const NumberBody b = ReadBody(s);
  if (!b.ok) return NumberRead::kNotNumber;
  if (ExactQuotient(b.m, b.intDigits + b.decimals, b.decimals, b.negative, out))
    return NumberRead::kOk;

  s.remove_prefix(b.signLength);
  double value = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
  if (res.ec == std::errc::result_out_of_range) {
    // Too large when a digit other than 0 comes before the point; otherwise
    // too small even for the least subnormal, and the nearest Double is 0.
    if (b.intDigits > 0 &&
        s.substr(0, b.intDigits).find_first_not_of('0') != std::string_view::npos)
      return NumberRead::kOverflow;
    value = 0;
  } else if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
    return NumberRead::kNotNumber;
  }
  out = b.negative ? -value : value;
  return NumberRead::kOk;
}

double ParseNumber(std::string_view text) {
  double value = 0;
  switch (ReadNumber(text, value)) {
    case NumberRead::kOk:
      return value;
    case NumberRead::kOverflow:
      throw OverflowError("数値");
    default:
      throw ConversionError(std::string(text));
  }
}

bool IsNumericField(std::string_view field) {
  double value;
  bool known;
  return ReadNumericField(field, value, known);
}

bool ReadNumericField(std::string_view field, double& value, bool& known) {
  const NumberBody b = ReadBody(field);
  known = b.ok && ExactQuotient(b.m, b.intDigits + b.decimals, b.decimals, b.negative, value);
  return b.ok;
}

}  // namespace varno
