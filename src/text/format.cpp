#include "text/format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "text/errors.h"
#include "text/short_copy.h"

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
  plain_ = prefix_.empty() && suffix_.empty() && !grouping_ && decZeros_ == decimals_ &&
           decimals_ + intZeros_ <= kPlainDigits;
}

namespace {

__extension__ typedef unsigned __int128 Uint128;

// |v| * 10^decimals rounded half up to an integer, for the usual value (a
// normal Double, at most 9 decimals, the result below 2^64): |v| = m * 2^e
// exactly, so |v| * 10^d = m * 10^d / 2^-e, and adding half of 2^-e before the
// shift rounds the exact product half up. False for any other value.
bool RoundedInteger(double v, int decimals, uint64_t& rounded) {
  static constexpr uint64_t kPow10[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
  const auto bits = std::bit_cast<uint64_t>(v) & 0x7FFFFFFFFFFFFFFFull;
  const int biased = static_cast<int>(bits >> 52);
  if (decimals > 9 || biased == 0 || biased >= 1075) return false;
  const uint64_t m = (bits & 0xFFFFFFFFFFFFFull) | (1ull << 52);
  const int shift = 1075 - biased;  // v = m / 2^shift, shift >= 1
  if (shift >= 120) {
    rounded = 0;
    return true;
  }
  const Uint128 product = static_cast<Uint128>(m) * kPow10[decimals];
  const Uint128 q = (product + (static_cast<Uint128>(1) << (shift - 1))) >> shift;
  if ((q >> 64) != 0) return false;
  rounded = static_cast<uint64_t>(q);
  return true;
}

// Writes |v| rounded to `decimals` places, half away from zero on the exact
// binary value, as "digits.decimals" (no point when decimals is 0), exactly
// as a correctly rounded fixed-point conversion prints it. Returns the end.
// The general path, for the values RoundedInteger leaves.
char* FixedDigits(double v, int decimals, char* buf, std::size_t size) {
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

void NumberPattern::Emit(bool negative, std::string_view intDigits, std::string_view decDigits,
                         std::string& out) const {
  const int intCount = static_cast<int>(intDigits.size());
  // Decimal digits, dropping trailing zeros that only "#" placeholders stand for.
  std::size_t decLen = decDigits.size();
  while (decLen > static_cast<std::size_t>(decZeros_) && decDigits[decLen - 1] == '0') --decLen;

  // The whole text is sized first and written in place.
  const bool minus = negative;
  const int leadZeros = intZeros_ > intCount ? intZeros_ - intCount : 0;
  const int total = leadZeros + intCount;
  const int commas = grouping_ && total > 0 ? (total - 1) / 3 : 0;
  const std::size_t start = out.size();
  out.resize(start + (minus ? 1 : 0) + prefix_.size() + static_cast<std::size_t>(total + commas) +
             (hasPoint_ ? 1 + decLen : 0) + suffix_.size());
  char* o = out.data() + start;
  if (minus) *o++ = '-';
  o = std::copy(prefix_.begin(), prefix_.end(), o);
  if (commas == 0) {
    o = std::fill_n(o, leadZeros, '0');
    o = std::copy(intDigits.begin(), intDigits.end(), o);
  } else {
    for (int k = 0; k < total; ++k) {
      *o++ = k < leadZeros ? '0' : intDigits[static_cast<std::size_t>(k - leadZeros)];
      const int left = total - k - 1;
      if (left > 0 && left % 3 == 0) *o++ = ',';
    }
  }
  if (hasPoint_) {
    *o++ = '.';
    o = std::copy(decDigits.begin(), decDigits.begin() + static_cast<std::ptrdiff_t>(decLen), o);
  }
  std::copy(suffix_.begin(), suffix_.end(), o);
}

namespace {

// "00" to "99", for writing two digits at a time.
constexpr char kTwoDigits[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546"
    "4748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293"
    "949596979899";

// Writes the decimal digits of v (none for 0) so that they end at `end`, two
// at a time; returns where they begin.
char* PutDigitsBefore(uint64_t v, char* end) {
  char* p = end;
  while (v >= 100) {
    const auto two = static_cast<std::size_t>(v % 100);
    v /= 100;
    p -= 2;
    p[0] = kTwoDigits[2 * two];
    p[1] = kTwoDigits[2 * two + 1];
  }
  if (v >= 10) {
    p -= 2;
    p[0] = kTwoDigits[2 * v];
    p[1] = kTwoDigits[2 * v + 1];
  } else if (v > 0) {
    *--p = static_cast<char>('0' + v);
  }
  return p;
}

}  // namespace

// `rounded` / 10^decimals_: its digits, at least decimals_ + 1 of them, split
// into the integer digits (leading zeros dropped) and the decimals.
void NumberPattern::EmitRounded(bool negative, uint64_t rounded, std::string& out) const {
  char digits[24];
  char* const end = digits + sizeof digits;
  char* p = PutDigitsBefore(rounded, end);
  while (end - p < decimals_ + 1) *--p = '0';
  char* const point = end - decimals_;
  while (p < point && *p == '0') ++p;
  Emit(negative, std::string_view(p, static_cast<std::size_t>(point - p)),
       std::string_view(point, static_cast<std::size_t>(decimals_)), out);
}

// A plain pattern prints every decimal and at least intZeros_ integer digits:
// the last decimals_ digits of `rounded`, the point, then the rest padded with
// zeros, written backwards so that they end at `end`.
char* NumberPattern::PutPlainBefore(bool negative, uint64_t rounded, char* end) const {
  // 20 digits of a 64-bit integer or kPlainDigits, the point and the sign
  static_assert(kPlainBuffer >= kPlainDigits + 2 && kPlainBuffer >= 22);
  char* p = end;
  if (hasPoint_) {
    int d = decimals_;
    for (; d >= 2; d -= 2) {
      const auto two = static_cast<std::size_t>(rounded % 100);
      rounded /= 100;
      p -= 2;
      p[0] = kTwoDigits[2 * two];
      p[1] = kTwoDigits[2 * two + 1];
    }
    if (d == 1) {
      *--p = static_cast<char>('0' + rounded % 10);
      rounded /= 10;
    }
    *--p = '.';
  }
  char* const integerEnd = p;
  p = PutDigitsBefore(rounded, p);
  while (integerEnd - p < intZeros_) *--p = '0';
  if (negative) *--p = '-';
  return p;
}

char* NumberPattern::PlainBefore(double value, char* end) const {
  uint64_t rounded = 0;
  if (!plain_ || !std::isfinite(value) || !RoundedInteger(value, decimals_, rounded)) {
    return nullptr;
  }
  return PutPlainBefore(value < 0, rounded, end);
}

namespace {

// Whether each of the eight bytes of `w` is a digit: "0".."9" xor "0" are the
// bytes 0..9, the only ones that leave both their high nibble and, plus 6,
// the bit 0x10 clear. A carry out of one byte happens only when that byte
// fails already.
bool EightDigits(uint64_t w) {
  const uint64_t x = w ^ 0x3030303030303030ull;
  return ((x | (x + 0x0606060606060606ull)) & 0xF0F0F0F0F0F0F0F0ull) == 0;
}

}  // namespace

// The text's decimal D = N / 10^decimals_ with N < 10^kExactDigits < 2^52 is
// read as the nearest Double v, so |v - D| <= D * 2^-53 and v * 10^decimals_
// lies within 0.12 of N: the pattern rounds it back to N and prints N's
// digits, the integer part without leading zeros but padded to intZeros_.
std::optional<std::string_view> NumberPattern::AsReadTail(std::string_view text) const {
  static_assert(kExactDigits + 1 <= 16);
  static constexpr std::string_view kTail = ".000000000000000";
  const std::size_t n = text.size();
  if (!plain_ || n == 0 || n > kExactDigits + 1) return std::nullopt;
  const auto decimals = static_cast<std::size_t>(decimals_);
  // The point, looked for among the last decimals + 1 bytes only, from the
  // place it has with every decimal written: one further left (more decimals
  // than printed) fails the digit check below.
  std::size_t point = n > decimals ? n - 1 - decimals : 0;
  while (point < n && text[point] != '.') ++point;
  const bool hasPoint = point < n;
  const std::size_t intLen = hasPoint ? point : n;
  const auto intZeros = static_cast<std::size_t>(intZeros_);
  // Exactly the integer digits the pattern prints: a leading zero only where
  // it pads to intZeros_.
  if (intLen == 0 || intLen < intZeros || (intLen > intZeros && text[0] == '0') ||
      intLen + decimals > kExactDigits || (hasPoint && !hasPoint_)) {
    return std::nullopt;
  }
  // Every other byte a digit: no sign, blank, exponent or second point.
  // Checked eight at a time on a copy padded with "0"s.
  char block[16];
  std::memset(block, '0', sizeof block);
  CopyShort(text.data(), n, block);
  if (hasPoint) block[point] = '0';
  uint64_t low = 0, high = 0;
  std::memcpy(&low, block, 8);
  std::memcpy(&high, block + 8, 8);
  if (!EightDigits(low) || !EightDigits(high)) return std::nullopt;
  if (!hasPoint_) return std::string_view();
  // The point when the text has none, and the decimals it leaves out.
  return hasPoint ? kTail.substr(1, decimals - (n - point - 1)) : kTail.substr(0, 1 + decimals);
}

void NumberPattern::AppendTo(double value, std::string& out) const {
  if (!std::isfinite(value)) throw OverflowError("Format");
  const bool negative = value < 0;

  uint64_t rounded = 0;
  if (RoundedInteger(value, decimals_, rounded)) {
    if (plain_) {
      char buf[kPlainBuffer];
      char* const end = buf + sizeof buf;
      const char* p = PutPlainBefore(negative, rounded, end);
      out.append(p, static_cast<std::size_t>(end - p));
    } else {
      EmitRounded(negative, rounded, out);
    }
    return;
  }

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
  const char* intBegin = buf;
  while (intBegin < intEnd && *intBegin == '0') ++intBegin;
  const char* decBegin = point ? point + 1 : end;
  Emit(negative, std::string_view(intBegin, static_cast<std::size_t>(intEnd - intBegin)),
       std::string_view(decBegin, static_cast<std::size_t>(end - decBegin)), out);
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
