// Text-to-number conversion: an accepted text gives a finite value, the
// nearest Double of its digits, and the numeric-field rule agrees with the
// conversion on texts without blanks.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "text/errors.h"
#include "text/number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varno;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool accepted = false;
  bool overflow = false;
  try {
    const double v = ParseNumber(text);
    fuzz::Require(std::isfinite(v), "accepted text parses to a finite value");
    std::string_view body = text;
    while (!body.empty() && (body.front() == ' ' || body.front() == '\t')) body.remove_prefix(1);
    while (!body.empty() && (body.back() == ' ' || body.back() == '\t')) body.remove_suffix(1);
    const bool negative = body.front() == '-';
    if (body.front() == '-' || body.front() == '+') body.remove_prefix(1);
    double nearest = 0;
    std::from_chars(body.data(), body.data() + body.size(), nearest, std::chars_format::fixed);
    fuzz::Require(v == (negative ? -nearest : nearest), "the nearest Double of the digits");
    accepted = true;
  } catch (const OverflowError&) {
    overflow = true;
  } catch (const ConversionError&) {
  }
  if (text.find_first_of(" \t") == std::string_view::npos) {
    fuzz::Require(IsNumericField(text) == (accepted || overflow),
                  "numeric-field rule agrees with the conversion");
  }
  return 0;
}
