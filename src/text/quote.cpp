#include "text/quote.h"

#include <cstdint>

namespace varno {

namespace {

void AppendHex(unsigned v, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[(v >> 4) & 0xF];
  out += kHex[v & 0xF];
}

// Length of the UTF-8 sequence at `p` (1..4), or 0 when it is not one.
std::size_t SequenceLength(std::string_view s, std::size_t p) {
  const auto b = static_cast<unsigned char>(s[p]);
  std::size_t len = 0;
  uint32_t cp = 0;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07;
  } else {
    return 0;
  }
  if (p + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(s[p + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return len;
}

// Escapes `s` into `out`, stopping after `maxChars` characters; true when
// characters were left over.
bool Escape(std::string_view s, bool keepLineBreaks, std::size_t maxChars, std::string& out) {
  std::size_t chars = 0;
  for (std::size_t p = 0; p < s.size();) {
    if (chars == maxChars) return true;
    ++chars;
    const auto b = static_cast<unsigned char>(s[p]);
    const std::size_t len = SequenceLength(s, p);
    if (len == 0) {
      AppendHex(b, out);
      ++p;
    } else if (len == 1 && (b < 0x20 || b == 0x7F)) {
      if (keepLineBreaks && (b == '\r' || b == '\n')) {
        out += static_cast<char>(b);
      } else {
        AppendHex(b, out);
      }
      ++p;
    } else if (len == 2 && b == 0xC2 && static_cast<unsigned char>(s[p + 1]) < 0xA0) {
      AppendHex(static_cast<unsigned char>(s[p + 1]), out);  // C1: U+0080..U+009F
      p += 2;
    } else {
      out.append(s.substr(p, len));
      p += len;
    }
  }
  return false;
}

}  // namespace

std::string EscapeControls(std::string_view utf8, bool keepLineBreaks) {
  std::string out;
  out.reserve(utf8.size());
  Escape(utf8, keepLineBreaks, std::string_view::npos, out);
  return out;
}

void ControlsAsQuestionMarks(std::string& text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
}

std::string QuoteField(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() < 160 ? utf8.size() : 160);
  if (Escape(utf8, false, kQuotedFieldChars, out)) out += "…";
  return out;
}

}  // namespace varno
