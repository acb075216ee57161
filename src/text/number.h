// Text-to-number conversion of fields and file tokens.
#pragma once

#include <string_view>

namespace varno {

// The text of a field: optional blanks (spaces, tabs), an optional sign ("+" or
// "-") directly before the digits, decimal digits with at most one "." and at
// least one digit, optional blanks. Anything else, the empty text included,
// throws ConversionError; a number too large for a Double throws OverflowError.
// The result is the correctly rounded Double of the decimal text; a value too
// small for a Double reads as the nearest subnormal or as 0 (keeping its sign).
double ParseNumber(std::string_view text);

// The same rule without exceptions, for readers that tolerate bad fields.
enum class NumberRead { kOk, kNotNumber, kOverflow };
NumberRead ReadNumber(std::string_view text, double& out);

// The numeric-field rule of the batch input: the same syntax without any
// blanks. Never throws.
bool IsNumericField(std::string_view field);

// IsNumericField, read in the same pass: for a numeric field of the usual
// kind (at most 19 digits, 22 decimals, 2^53 as an integer) `value` gets what
// ParseNumber gives and `known` is set; otherwise `known` is cleared.
bool ReadNumericField(std::string_view field, double& value, bool& known);

}  // namespace varno
