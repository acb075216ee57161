// CP932 (Windows Shift_JIS) codec. Data lines stay bytes throughout; decoding
// is only for what a window shows, encoding for the program's own texts.
#pragma once

#include <string>
#include <string_view>

#include "text/errors.h"

namespace varno {

// CP932 bytes to UTF-8. Invalid sequences become U+FFFD; never throws.
std::string Cp932ToUtf8(std::string_view bytes);

// A text holds a character that CP932 cannot hold: the description names the
// first such character with its line and column (not the whole text).
class NotCp932Error : public VarnoError {
 public:
  NotCp932Error(const std::string& character, char32_t codePoint, long line, long column);
  long line() const { return line_; }
  long column() const { return column_; }

 private:
  long line_, column_;
};

// UTF-8 to CP932 bytes. Throws NotCp932Error for the first character that
// CP932 cannot hold, ConversionError for invalid UTF-8.
std::string Utf8ToCp932(std::string_view utf8);

// A field of CP932 bytes for a message: decoded, then QuoteField (escaped, cut
// to 40 characters with "…").
std::string QuoteCp932Field(std::string_view bytes);

// True when `bytes` is entirely valid CP932.
bool IsValidCp932(std::string_view bytes);

namespace detail {
// IsValidCp932 by the byte table alone, for tests that check its quick test.
bool IsValidCp932ByTable(std::string_view bytes);
// Whether the table holds every byte below 0x80 as a character alone.
bool AsciiIsSingleCp932();
}  // namespace detail

}  // namespace varno
