// Copies and blank runs of a few bytes, as the cells of result and report
// lines are written: inline moves of fixed sizes instead of a library call
// per cell, which costs more than the copy itself.
#pragma once

#include <cstddef>
#include <cstring>

namespace varno {

// Copies n bytes from `from` to `to` (ranges that do not overlap) and returns
// the end of the copy. Up to 32 bytes, two fixed-size moves that may overlap
// each other cover every length of a size class.
inline char* CopyShort(const char* from, std::size_t n, char* to) {
  if (n >= 16 && n <= 32) {
    std::memcpy(to, from, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
  } else if (n >= 8 && n < 16) {
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(to, from, 4);
    std::memcpy(to + n - 4, from + n - 4, 4);
  } else if (n > 0 && n < 4) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  } else if (n > 32) {
    std::memcpy(to, from, n);
  }
  return to + n;
}

// Writes n blanks at `to` and returns their end.
inline char* BlanksShort(std::size_t n, char* to) {
  static constexpr char kBlanks[33] = "                                ";
  while (n > 32) {
    std::memcpy(to, kBlanks, 32);
    to += 32;
    n -= 32;
  }
  return CopyShort(kBlanks, n, to);
}

}  // namespace varno
