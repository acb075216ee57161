#include "text/format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "text/errors.h"

namespace varno {

namespace {

bool IsPlaceholder(char c) {
  return c == '0' || c == '#' || c == '.' || c == ',';
}

// True when |v| lies exactly halfway between two multiples of 10^-decimals.
// v = m * 2^e with m odd is such a half exactly when e == -(decimals + 1):
// then v * 10^decimals * 2 = m * 5^decimals is odd.
bool IsExactTie(double v, int decimals) {
  const auto bits = std::bit_cast<uint64_t>(v) & 0x7FFFFFFFFFFFFFFFull;
  if (bits == 0) return false;
  const int biased = static_cast<int>(bits >> 52);
  uint64_t mantissa = bits & 0xFFFFFFFFFFFFFull;
  int exp = biased == 0 ? -1074 : biased - 1075;  // v = mantissa * 2^exp
  if (biased != 0) mantissa |= 1ull << 52;
  const int lowBit = exp + std::countr_zero(mantissa);
  return lowBit == -(decimals + 1);
}

}  // namespace

NumberPattern::NumberPattern(std::string_view pattern) : pattern_(pattern) {
  std::size_t i = 0;
  while (i < pattern.size() && !IsPlaceholder(pattern[i])) prefix_ += pattern[i++];
  for (; i < pattern.size() && IsPlaceholder(pattern[i]); ++i) {
    const char c = pattern[i];
    if (c == '.') {
      if (hasPoint_) break;  // a second point ends the number part
      hasPoint_ = true;
    } else if (c == ',') {
      if (!hasPoint_) grouping_ = true;
    } else if (hasPoint_) {
      ++decimals_;
      if (c == '0') decZeros_ = decimals_;  // "0" after "#" still forces the digits before it
    } else if (c == '0') {
      ++intZeros_;
    } else if (intZeros_ > 0) {
      ++intZeros_;  // "#" after a "0" is printed like a "0"
    }
  }
  suffix_.assign(pattern.substr(i));
}

void NumberPattern::AppendTo(double value, std::string& out) const {
  if (!std::isfinite(value)) throw OverflowError("Format");
  double magnitude = std::fabs(value);
  if (IsExactTie(magnitude, decimals_)) magnitude = std::nextafter(magnitude, INFINITY);

  // Correctly rounded fixed-point digits of the magnitude: at most 309
  // integer digits, the point and the decimals.
  char stackBuf[400];
  std::vector<char> heapBuf;
  char* buf = stackBuf;
  const std::size_t needed = 312 + static_cast<std::size_t>(decimals_);
  if (needed > sizeof stackBuf) {
    heapBuf.resize(needed);
    buf = heapBuf.data();
  }
  const auto res = std::to_chars(buf, buf + needed, magnitude, std::chars_format::fixed, decimals_);
  if (res.ec != std::errc()) throw OverflowError("Format");
  const char* end = res.ptr;
  const char* point = static_cast<const char*>(std::memchr(buf, '.', end - buf));
  const char* intEnd = point ? point : end;

  // Integer digits without leading zeros.
  const char* intBegin = buf;
  while (intBegin < intEnd && *intBegin == '0') ++intBegin;
  const int intDigits = static_cast<int>(intEnd - intBegin);

  // Decimal digits, dropping trailing zeros that only "#" placeholders stand for.
  const char* decBegin = point ? point + 1 : end;
  const char* decEnd = end;
  while (decEnd - decBegin > decZeros_ && decEnd[-1] == '0') --decEnd;

  bool nonZero = intDigits > 0;
  for (const char* p = decBegin; p < end && !nonZero; ++p) nonZero = *p != '0';

  if (value < 0 && nonZero) out += '-';
  out += prefix_;
  const int leadZeros = intZeros_ > intDigits ? intZeros_ - intDigits : 0;
  const int total = leadZeros + intDigits;
  for (int k = 0; k < total; ++k) {
    out += k < leadZeros ? '0' : intBegin[k - leadZeros];
    const int left = total - k - 1;
    if (grouping_ && left > 0 && left % 3 == 0) out += ',';
  }
  if (hasPoint_) {
    out += '.';
    out.append(decBegin, decEnd);
  }
  out += suffix_;
}

std::string NumberPattern::Format(double value) const {
  std::string s;
  AppendTo(value, s);
  return s;
}

std::string FormatNumber(double value, std::string_view pattern) {
  return NumberPattern(pattern).Format(value);
}

std::string SpacedNumber(long long n) {
  std::string digits = std::to_string(n);
  return n >= 0 ? " " + digits : digits;
}

std::string FitLeft(std::string_view text, std::size_t width) {
  std::string s(text.substr(0, width));
  s.resize(width, ' ');
  return s;
}

std::string FitRight(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text.substr(0, width));
  return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace varno
