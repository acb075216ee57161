#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "number_texts.h"
#include "text/errors.h"
#include "text/number.h"
#include "text/paths.h"

namespace varno {
namespace {

TEST(ParseNumber, AcceptsFieldTexts) {
  const std::pair<const char*, double> good[] = {{"360503.954", 360503.954},
                                                 {"  -1234.5 ", -1234.5},
                                                 {"+370856.1234", 370856.1234},
                                                 {".5", 0.5},
                                                 {"5.", 5.0},
                                                 {"\t42\t", 42.0},
                                                 {"0", 0.0},
                                                 {"-0.0001", -0.0001},
                                                 {"007", 7.0}};
  for (const auto& [text, value] : good) EXPECT_EQ(ParseNumber(text), value) << text;
  // Correctly rounded: the nearest Double of the decimal text.
  EXPECT_EQ(ParseNumber("0.1"), 0.1);
  EXPECT_EQ(ParseNumber("9375.8938443"), 9375.8938443);
}

// Every field converts to the nearest Double, whichever way it is converted:
// random digit texts around the limits of the quick integer path (2^53, 19
// digits, 22 decimals) against the library's correctly rounded conversion.
TEST(ParseNumber, NearestDoubleForEveryShapeOfField) {
  std::mt19937_64 rng(20261207);
  auto digits = [&](int n) {
    std::string d;
    for (int k = 0; k < n; ++k) d += static_cast<char>('0' + rng() % 10);
    return d;
  };
  for (int trial = 0; trial < 200000; ++trial) {
    const int intLen = static_cast<int>(rng() % 21);
    const int decLen = static_cast<int>(rng() % 26);
    std::string text = digits(intLen);
    if (decLen > 0 || intLen == 0) text += "." + digits(decLen > 0 ? decLen : 1);
    if (trial % 7 == 0) text = "9007199254740" + digits(3) + "." + digits(trial % 4);
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::fixed);
    ASSERT_EQ(ParseNumber(text), expected) << text;
    ASSERT_EQ(ParseNumber("-" + text), -expected) << text;
  }
  EXPECT_TRUE(std::signbit(ParseNumber("-0.000")));
}

TEST(ParseNumber, RejectsEverythingElse) {
  const char* bad[] = {"",      "   ",  "-",   "+",   ".",   "1.2.3", "1e5",
                       "1,000", "- 5",  "5-",  "abc", "12a", "0x10",  "inf",
                       "nan",   "１２", "1 2", "--1", "+-1", "\r",    "１.５"};
  for (const char* text : bad) {
    EXPECT_THROW(ParseNumber(text), ConversionError) << "[" << text << "]";
    EXPECT_FALSE(IsNumericField(text)) << "[" << text << "]";
  }
  EXPECT_THROW(ParseNumber(std::string(400, '9')), OverflowError);
  try {
    ParseNumber("abc");
  } catch (const VarnoError& e) {
    EXPECT_FALSE(e.IsOverflow());
    EXPECT_NE(std::string(e.what()).find("abc"), std::string::npos);
  }
}

// One rule for every reader: a decimal too small for a Double reads as the
// nearest subnormal or 0 (keeping its sign); only a value too large, whatever
// its leading zeros and decimals, is an overflow.
TEST(ParseNumber, TooSmallIsZeroTooLargeIsOverflow) {
  const std::string tiny = "0." + std::string(399, '0') + "1";
  double v = 1;
  EXPECT_EQ(ReadNumber(tiny, v), NumberRead::kOk);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(ParseNumber(tiny), 0.0);
  EXPECT_TRUE(std::signbit(ParseNumber("-" + tiny)));
  EXPECT_EQ(ParseNumber(" 0." + std::string(320, '0') + "5 "), 5e-321);  // subnormal
  EXPECT_EQ(ParseNumber("000" + std::string(20, '0') + "." + std::string(330, '0') + "7"), 0.0);
  const std::string huge = "00" + std::string(310, '9') + ".5";
  EXPECT_EQ(ReadNumber(huge, v), NumberRead::kOverflow);
  EXPECT_THROW(ParseNumber("-" + huge), OverflowError);
  EXPECT_EQ(ReadNumber("1e5", v), NumberRead::kNotNumber);
}

TEST(ParseNumber, NumericFieldHasNoBlanks) {
  EXPECT_TRUE(IsNumericField("-9.5"));
  EXPECT_TRUE(IsNumericField("+1"));
  EXPECT_FALSE(IsNumericField(" 1"));
  EXPECT_FALSE(IsNumericField("1 "));
  EXPECT_TRUE(std::isfinite(ParseNumber(std::string(300, '9'))));
}

TEST(ParseNumber, NumericFieldReadInTheSamePassAsParseNumberReadsIt) {
  // Whether a field is numeric, and its value where the pass gives one, as
  // IsNumericField's rule (ReadNumber's form without blanks) and ParseNumber
  // have them: generated fields, long ones beyond the quick range included.
  testing::NumberTexts texts(91);
  std::vector<std::string> fields = {"12345678901234567890",      "9007199254740993",
                                     "9007199254740992",          "1.00000000000000000000001",
                                     std::string(30, '9') + ".5", "0." + std::string(25, '1')};
  for (int i = 0; i < 100000; ++i) fields.push_back(texts.Next());
  for (const std::string& f : fields) {
    double want = 0;
    const bool blanks = f.find_first_of(" \t") != std::string::npos;
    const NumberRead read = ReadNumber(f, want);
    double value = -1;
    bool known = true;
    const bool numeric = ReadNumericField(f, value, known);
    ASSERT_EQ(numeric, !blanks && read != NumberRead::kNotNumber) << "[" << f << "]";
    ASSERT_EQ(numeric, IsNumericField(f)) << "[" << f << "]";
    if (!numeric) {
      EXPECT_FALSE(known) << "[" << f << "]";
      continue;
    }
    if (known) {
      ASSERT_EQ(read, NumberRead::kOk) << "[" << f << "]";
      ASSERT_EQ(std::signbit(value), std::signbit(want)) << "[" << f << "]";
      ASSERT_EQ(value, want) << "[" << f << "]";
    }
  }
}

TEST(Paths, NamesFoldersAndExtensions) {
  EXPECT_EQ(FileNameOf("C:\\VARNO\\Veltra.par"), "Veltra.par");
  EXPECT_EQ(FileNameOf("/home/u/data/pts.in"), "pts.in");
  EXPECT_EQ(FileNameOf("plain.txt "), "plain.txt ");
  EXPECT_EQ(FileNameOf("dir/"), "");
  EXPECT_EQ(StripExtension("pts.in"), "pts");
  EXPECT_EQ(StripExtension("C:\\my.dir\\file"), "C:\\my");
  EXPECT_EQ(StripExtension("noext"), "noext");
  EXPECT_EQ(StripExtension("a.b.c"), "a.b");
  EXPECT_EQ(FolderOf("/home/u/pts.in"), "/home/u/");
  EXPECT_EQ(FolderOf("C:\\x\\y.in"), "C:\\x\\");
  EXPECT_EQ(FolderOf("pts.in"), "");
}

// The validity check agrees with the decoder on every one- and two-byte text
// and on three-byte ones that start with a trail byte or a lone lead byte.
TEST(Cp932, ValidityAgreesWithTheDecoderOnEveryShortText) {
  const std::string replacement = "\xEF\xBF\xBD";
  auto decodes = [&](const std::string& s) {
    return Cp932ToUtf8(s).find(replacement) == std::string::npos;
  };
  for (int a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(IsValidCp932(one), decodes(one)) << a;
    for (int b = 0; b < 256; ++b) {
      const std::string two = one + static_cast<char>(b);
      ASSERT_EQ(IsValidCp932(two), decodes(two)) << a << " " << b;
    }
  }
  for (const char* s : {"\x81\x40\x81", "\xe3\x81\x82",
                        "a\x95\x5c"
                        "b",
                        "\x85\x40"
                        "x"})
    EXPECT_EQ(IsValidCp932(s), decodes(s)) << s;
}

// The quick test for texts of bytes below 0x80 against the byte table: every
// one- and two-byte text, and longer ones with one byte of each kind at every
// place (the quick test reads 1, 4 or 8 bytes at a time).
TEST(Cp932, QuickValidityAgreesWithTheByteTable) {
  EXPECT_TRUE(detail::AsciiIsSingleCp932()) << "the quick test is never taken";
  for (int a = 0; a < 256; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(IsValidCp932(one), detail::IsValidCp932ByTable(one)) << a;
    for (int b = 0; b < 256; ++b) {
      const std::string two = one + static_cast<char>(b);
      ASSERT_EQ(IsValidCp932(two), detail::IsValidCp932ByTable(two)) << a << " " << b;
    }
  }
  for (std::size_t n = 0; n <= 40; ++n) {
    const std::string ascii(n, 'a');
    ASSERT_TRUE(IsValidCp932(ascii)) << n;
    for (std::size_t at = 0; at < n; ++at) {
      for (char c :
           {'\0', '\x7f', '\x80', '\x81', '\xa0', '\xb1', '\xdf', '\xe0', '\xfd', '\xff'}) {
        std::string s = ascii;
        s[at] = c;
        ASSERT_EQ(IsValidCp932(s), detail::IsValidCp932ByTable(s)) << n << " " << at << " " << +c;
        s.insert(at + 1, "\x40");  // a lead byte's pair
        ASSERT_EQ(IsValidCp932(s), detail::IsValidCp932ByTable(s)) << n << " " << at << " " << +c;
      }
    }
  }
}

TEST(Cp932, RoundTripAndInvalidBytes) {
  const std::string utf8 = "座標変換プログラム ｶﾀｶﾅ ～ \\ ~ ①";
  const std::string bytes = Utf8ToCp932(utf8);
  EXPECT_TRUE(IsValidCp932(bytes));
  EXPECT_EQ(Cp932ToUtf8(bytes), utf8);
  // "表" is 0x95 0x5C: its trail byte is a backslash.
  EXPECT_EQ(Utf8ToCp932("表"), "\x95\x5c");
  EXPECT_EQ(Cp932ToUtf8("\x95\x5c"), "表");
  EXPECT_EQ(Utf8ToCp932("ｱ"), "\xb1");
  EXPECT_EQ(Utf8ToCp932("～"), "\x81\x60");
  // Invalid bytes decode to U+FFFD and never throw.
  EXPECT_FALSE(IsValidCp932("\x81"));
  EXPECT_FALSE(IsValidCp932("\xff"));
  EXPECT_EQ(Cp932ToUtf8("a\xff"
                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Cp932ToUtf8("\x81"), "\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8(""), "");
  // Characters CP932 cannot hold are refused.
  EXPECT_THROW(Utf8ToCp932("한국"), NotCp932Error);
  EXPECT_THROW(Utf8ToCp932("\xff"), ConversionError);
}

}  // namespace
}  // namespace varno
