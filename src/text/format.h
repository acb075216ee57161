// Number patterns: "0" a digit always printed, "#" a digit printed only when
// significant, "," inside the integer digits turns on thousands grouping, "."
// the decimal point, any other character copied unchanged. The value is rounded
// to the pattern's last decimal place, half away from zero on the exact binary
// value (the one rounding rule of the whole program); a negative value gets a
// leading "-", also when it rounds to zero (-0.00004 with "0.0000" prints
// "-0.0000"; -0.0 is not negative); more integer digits than the pattern has
// are all printed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varno {

// A pattern parsed once, for use on hot paths.
class NumberPattern {
 public:
  explicit NumberPattern(std::string_view pattern);
  std::string Format(double value) const;
  // Appends the formatted value to `out` (no allocation when out has room).
  void AppendTo(double value, std::string& out) const;
  // The quick path of AppendTo, for a caller that places the text itself:
  // writes the text so that it ends at `end`, with room for kPlainBuffer
  // bytes before it, and returns where it begins; nullptr when the value
  // needs AppendTo (a pattern with literals or grouping, a value out of the
  // quick range, not finite).
  static constexpr std::size_t kPlainBuffer = 48;
  char* PlainBefore(double value, char* end) const;
  // When this pattern provably prints, for the value ParseNumber reads from
  // `text`, that text itself followed only by the decimal zeros (and the
  // point) it adds: those added bytes ("" when none), a view into static
  // storage. nullopt for any other text, and for a pattern that PlainBefore
  // does not take. It holds for unsigned digits with no leading zero the
  // pattern would not print and at most the pattern's decimals, within
  // kExactDigits digits together with them (the value read then rounds back
  // to the same digits).
  static constexpr int kExactDigits = 15;
  std::optional<std::string_view> AsReadTail(std::string_view text) const;
  const std::string& pattern() const { return pattern_; }

 private:
  // Writes the rounded digits by the pattern: `intDigits` without leading
  // zeros, `decDigits` all `decimals_` of them.
  void Emit(bool negative, std::string_view intDigits, std::string_view decDigits,
            std::string& out) const;
  void EmitRounded(bool negative, uint64_t rounded, std::string& out) const;
  char* PutPlainBefore(bool negative, uint64_t rounded, char* end) const;
  static constexpr int kPlainDigits = 24;

  std::string pattern_;
  std::string prefix_;  // literal characters before the first digit placeholder
  std::string suffix_;  // literal characters after the last digit placeholder
  int intZeros_ = 0;    // "0" placeholders before the decimal point
  int decimals_ = 0;    // digit placeholders after the decimal point
  int decZeros_ = 0;    // of those, the "0"s (the rest are optional "#")
  bool hasPoint_ = false;
  bool grouping_ = false;
  // No literals, no grouping, every decimal a "0": the quick path applies.
  bool plain_ = false;
};

// Formats with a pattern parsed on the fly (convenience for cold paths).
std::string FormatNumber(double value, std::string_view pattern);

// A count or zone number with one leading blank when zero or positive and "-"
// when negative: 9 gives " 9", -3 gives "-3".
std::string SpacedNumber(long long n);

// Fixed-width cells: pad with blanks to `width` (on the right for FitLeft, on
// the left for FitRight); a longer text keeps its left part. Widths count
// bytes, which equal characters for the single-byte texts they are used on.
std::string FitLeft(std::string_view text, std::size_t width);
std::string FitRight(std::string_view text, std::size_t width);

}  // namespace varno
