#include "text/format.h"

#include <algorithm>
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

namespace {

__extension__ typedef unsigned __int128 Uint128;

// Writes `rounded` / 10^D with D decimals after the point.
template <int D>
char* PutFixed(uint64_t rounded, char* buf, std::size_t size) {
  constexpr uint64_t kScale = [] {
    uint64_t s = 1;
    for (int i = 0; i < D; ++i) s *= 10;
    return s;
  }();
  uint64_t frac = rounded % kScale;
  char* p = std::to_chars(buf, buf + size, rounded / kScale).ptr;
  if constexpr (D > 0) {
    *p++ = '.';
    for (int k = D - 1; k >= 0; --k) {
      p[k] = static_cast<char>('0' + frac % 10);
      frac /= 10;
    }
    p += D;
  }
  return p;
}

// Writes |v| rounded to `decimals` places, half away from zero on the exact
// binary value, as "digits.decimals" (no point when decimals is 0), exactly
// as a correctly rounded fixed-point conversion prints it. Returns the end.
//
// The usual case is done in integers: |v| = m * 2^e exactly, so
// |v| * 10^d = m * 10^d / 2^-e, and adding half of 2^-e before the shift
// rounds the exact product half up. Other values take the general path.
char* FixedDigits(double v, int decimals, char* buf, std::size_t size) {
  static constexpr uint64_t kPow10[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
  const auto bits = std::bit_cast<uint64_t>(v) & 0x7FFFFFFFFFFFFFFFull;
  const int biased = static_cast<int>(bits >> 52);
  if (decimals <= 9 && biased > 0 && biased < 1075) {
    const uint64_t m = (bits & 0xFFFFFFFFFFFFFull) | (1ull << 52);
    const int shift = 1075 - biased;  // v = m / 2^shift, shift >= 1
    const uint64_t scale = kPow10[decimals];
    Uint128 q = 0;
    if (shift < 120) {
      const Uint128 product = static_cast<Uint128>(m) * scale;
      q = (product + (static_cast<Uint128>(1) << (shift - 1))) >> shift;
    }
    if ((q >> 64) == 0) {
      const auto rounded = static_cast<uint64_t>(q);
      switch (decimals) {  // constant divisors: multiplications, not divisions
        case 0:
          return PutFixed<0>(rounded, buf, size);
        case 1:
          return PutFixed<1>(rounded, buf, size);
        case 2:
          return PutFixed<2>(rounded, buf, size);
        case 3:
          return PutFixed<3>(rounded, buf, size);
        case 4:
          return PutFixed<4>(rounded, buf, size);
        case 5:
          return PutFixed<5>(rounded, buf, size);
        case 6:
          return PutFixed<6>(rounded, buf, size);
        case 7:
          return PutFixed<7>(rounded, buf, size);
        case 8:
          return PutFixed<8>(rounded, buf, size);
        default:
          return PutFixed<9>(rounded, buf, size);
      }
    }
  }
  const double magnitude = std::fabs(v);
  if (!IsExactTie(magnitude, decimals)) {
    const auto res = std::to_chars(buf, buf + size, magnitude, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) throw OverflowError("Format");
    return res.ptr;
  }
  // An exact half: its expansion ends in the 5 one place further; drop it and
  // carry one into the digits kept.
  const auto res =
      std::to_chars(buf + 1, buf + size, magnitude, std::chars_format::fixed, decimals + 1);
  if (res.ec != std::errc()) throw OverflowError("Format");
  char* end = res.ptr - 1;   // without the 5
  if (decimals == 0) --end;  // and without the point before it
  char* p = end - 1;
  for (; p > buf; --p) {
    if (*p == '.') continue;
    if (*p != '9') break;
    *p = '0';
  }
  if (p == buf) {
    *buf = '1';  // 9.5 -> 10: the carry makes a new leading digit
    return end;
  }
  ++*p;
  std::memmove(buf, buf + 1, static_cast<std::size_t>(end - buf - 1));
  return end - 1;
}

}  // namespace

void NumberPattern::AppendTo(double value, std::string& out) const {
  if (!std::isfinite(value)) throw OverflowError("Format");

  // At most 309 integer digits, the point and the decimals.
  char stackBuf[400];
  std::vector<char> heapBuf;
  char* buf = stackBuf;
  const std::size_t needed = 312 + static_cast<std::size_t>(decimals_);
  if (needed > sizeof stackBuf) {
    heapBuf.resize(needed);
    buf = heapBuf.data();
  }
  const char* end = FixedDigits(value, decimals_, buf, needed);

  // Every path writes exactly `decimals_` digits after the point.
  const char* point = decimals_ > 0 ? end - decimals_ - 1 : nullptr;
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

  // The whole text is sized first and written in place.
  const bool minus = value < 0 && nonZero;
  const int leadZeros = intZeros_ > intDigits ? intZeros_ - intDigits : 0;
  const int total = leadZeros + intDigits;
  const int commas = grouping_ && total > 0 ? (total - 1) / 3 : 0;
  const std::size_t decLen = static_cast<std::size_t>(decEnd - decBegin);
  const std::size_t start = out.size();
  out.resize(start + (minus ? 1 : 0) + prefix_.size() + static_cast<std::size_t>(total + commas) +
             (hasPoint_ ? 1 + decLen : 0) + suffix_.size());
  char* o = out.data() + start;
  if (minus) *o++ = '-';
  o = std::copy(prefix_.begin(), prefix_.end(), o);
  for (int k = 0; k < total; ++k) {
    *o++ = k < leadZeros ? '0' : intBegin[k - leadZeros];
    const int left = total - k - 1;
    if (commas > 0 && left > 0 && left % 3 == 0) *o++ = ',';
  }
  if (hasPoint_) {
    *o++ = '.';
    o = std::copy(decBegin, decEnd, o);
  }
  std::copy(suffix_.begin(), suffix_.end(), o);
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
