// Text taken from files and command lines, made safe to show in a message on
// a terminal, in a message box or in a status line. The one rule for every
// place that quotes input.
#pragma once

#include <string>
#include <string_view>

namespace varno {

// Longest quoted field, in characters, before it is cut and "…" added.
inline constexpr std::size_t kQuotedFieldChars = 40;

// UTF-8 text with every control character shown visibly: C0 (NUL included,
// which therefore never cuts a text), DEL and C1 become "\x1B"-style escapes,
// and bytes that are not UTF-8 become "\xNN" too. Keeps CR and LF when
// `keepLineBreaks` is set (message texts that are the program's own).
std::string EscapeControls(std::string_view utf8, bool keepLineBreaks = false);

// Replaces each C0 control byte and DEL by "?", in place: for text written
// into a file line, where a byte-for-byte escape would not fit. Safe on CP932
// and UTF-8 alike (neither uses these bytes inside a character).
void ControlsAsQuestionMarks(std::string& text);

// A field or name from a file (UTF-8) for a message: escaped, and cut to
// kQuotedFieldChars characters with "…" when longer.
std::string QuoteField(std::string_view utf8);

}  // namespace varno
