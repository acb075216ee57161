// Input quoted in messages: nothing from a file can steer a terminal or cut
// a message, and long fields are shortened.
#include <gtest/gtest.h>

#include <string>

#include "codec/cp932.h"
#include "text/quote.h"

namespace varno {
namespace {

TEST(Quote, ControlCharactersAreShownEscaped) {
  // ESC sequences that would recolour, clear the screen or set the title.
  EXPECT_EQ(EscapeControls("\x1b[31mred\x1b[2J"), "\\x1B[31mred\\x1B[2J");
  EXPECT_EQ(EscapeControls("\x1b]0;title\x07"), "\\x1B]0;title\\x07");
  EXPECT_EQ(EscapeControls(std::string("a\0b", 3)), "a\\x00b");  // NUL does not cut
  EXPECT_EQ(EscapeControls("a\tb\x7f"), "a\\x09b\\x7F");
  EXPECT_EQ(EscapeControls("\xc2\x9b"
                           "1m\xc2\x85"),
            "\\x9B1m\\x85");                                                      // C1 as UTF-8
  EXPECT_EQ(EscapeControls("\xc2\xa0\xe5\x89\xa3\xe5\xb2\xb3"), "\xc2\xa0剣岳");  // not C1
  EXPECT_EQ(EscapeControls("\xff\xc3(\xe5\x89"), "\\xFF\\xC3(\\xE5\\x89");        // not UTF-8
  EXPECT_EQ(EscapeControls("a\r\nb"), "a\\x0D\\x0Ab");
  EXPECT_EQ(EscapeControls("a\r\nb", true), "a\r\nb");
}

TEST(Quote, FieldsAreCutAtFortyCharacters) {
  const std::string forty(40, 'x');
  EXPECT_EQ(QuoteField(forty), forty);
  EXPECT_EQ(QuoteField(forty + "y"), forty + "…");
  // Characters, not bytes; an escape counts as one character.
  std::string kanji;
  for (int k = 0; k < 41; ++k) kanji += "剣";
  EXPECT_EQ(QuoteField(kanji), kanji.substr(0, 40 * 3) + "…");
  EXPECT_EQ(QuoteField(std::string(41, '\x1b')).substr(0, 8), "\\x1B\\x1B");
  // CP932 bytes are decoded first; a long field is not decoded whole.
  std::string sjis;
  for (int k = 0; k < 30; ++k) sjis += "\x8c\x95";  // 剣
  EXPECT_EQ(QuoteCp932Field(sjis + "\x1b"), kanji.substr(0, 30 * 3) + "\\x1B");
  EXPECT_EQ(QuoteCp932Field(std::string(100000, 'a') + "\x07"), std::string(40, 'a') + "…");
}

}  // namespace
}  // namespace varno
