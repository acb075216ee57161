// Number texts as batch input fields may hold them: the usual ones, written as
// the result patterns print them, and every kind of departure from that
// (signs, "-0", leading zeros and blanks, too many decimals or digits, values
// on a rounding half, exponents, stray characters). Used by the text and
// batch tests of the cells that copy a field instead of formatting it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>

namespace varno::testing {

class NumberTexts {
 public:
  explicit NumberTexts(uint64_t seed) : rng_(seed) {}

  std::string Next() {
    if (Chance(24)) return kOdd[Below(std::size(kOdd))];
    std::string s;
    if (Chance(16)) s += Chance(2) ? " " : "\t";
    if (Chance(8)) s += '-';
    if (Chance(24)) s += '+';
    if (Chance(4)) s.append(1 + Below(3), '0');  // leading zeros
    // 0 to 13 integer digits: with up to 7 decimals that covers the digit
    // counts on both sides of an exact round trip.
    const std::size_t whole = Below(14);
    for (std::size_t i = 0; i < whole; ++i) s += Digit(i == 0 && Chance(2));
    if (!Chance(8)) {
      s += '.';
      const std::size_t decimals = Below(8);
      for (std::size_t i = 0; i < decimals; ++i) s += Digit(false);
      if (decimals > 0 && Chance(4)) {
        // Near a rounding boundary: ...5, ...49999, ...50000 or a run of 9s.
        const char* ends[] = {"5", "49999", "50000", "99999", "00001"};
        s += ends[Below(std::size(ends))];
      }
    }
    if (Chance(32)) s += Chance(2) ? "e5" : "E-3";
    if (Chance(16)) s += Chance(2) ? " " : "\t";
    return s;
  }

 private:
  static constexpr const char* kOdd[] = {"",
                                         "-0",
                                         "-0.0",
                                         "-0.00000",
                                         "+0",
                                         "0",
                                         "00",
                                         ".",
                                         ".5",
                                         "5.",
                                         "-.5",
                                         "0.",
                                         "1..2",
                                         "1.2.3",
                                         "--1",
                                         "0x1A",
                                         "1,5",
                                         "１２",
                                         "999999.99999",
                                         "9999999.99999",
                                         "000000.00000",
                                         "0000000.00000",
                                         "0.0000",
                                         "99999999999.9999",
                                         "999999999999.0003",
                                         "123456789012345",
                                         "1234567890123456",
                                         "0.00000000000000000001",
                                         "1e308",
                                         "inf",
                                         "nan"};

  bool Chance(uint64_t oneIn) { return rng_() % oneIn == 0; }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }
  char Digit(bool nonZero) {
    return static_cast<char>('0' + (nonZero ? 1 + rng_() % 9 : rng_() % 10));
  }

  std::mt19937_64 rng_;
};

}  // namespace varno::testing
