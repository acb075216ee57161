#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

#include "exact_rounding.h"
#include "number_texts.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/version.h"

namespace varno {
namespace {

struct Case {
  const char* pattern;
  double value;
  const char* expected;
};

TEST(NumberPattern, EveryPatternOfTheProgram) {
  const Case cases[] = {
      {"######.0000", 0.25, ".2500"},
      {"######.0000", -0.25, "-.2500"},
      {"######.0000", 9375.89384432, "9375.8938"},
      {"######.0000", -258141.0312, "-258141.0312"},
      {"######.0000", 12345678.5, "12345678.5000"},  // more digits than the pattern
      {"#,###,##0.0000", 193873.53241, "193,873.5324"},
      {"#,###,##0.0000", -9999, "-9,999.0000"},
      {"#,###,##0.0000", 0.5, "0.5000"},
      {"#,###,##0.0000", 1234567890.12, "1,234,567,890.1200"},
      {" ##0.00000000", 0.9999, " 0.99990000"},
      {" ##0.00000000", 1.00014, " 1.00014000"},
      {"#.00000000", 0.99990179, ".99990179"},
      {"#.00000000", 1.0001, "1.00010000"},
      {"000000.00000", 360503.954, "360503.95400"},
      {"000000.00000", 3.5, "000003.50000"},
      {"0000000.00000", 1395802.392, "1395802.39200"},
      {"######0.0000", 0, "0.0000"},
      {"####0.0000", -0.00001, "-0.0000"},    // rounds to zero: still negative
      {"#####0.00000", 1.234565, "1.23456"},  // just below the half in binary
      {"###,###,###", 0, ""},
      {"###,###,###", 52428800, "52,428,800"},
      {"###,###,###", 999, "999"},
      {"#0.0", 5.25, "5.3"},
      {"#0.0", -5.25, "-5.3"},
      {"##0", 12.5, "13"},
      {"##0", 0.4, "0"},
      {"#0", 7, "7"},
      {"00", 5, "05"},
      {"00", 60, "60"},
      {"00.00000", 3.954, "03.95400"},
      {"00.00000", 59.999996, "60.00000"},
      {"00.000", 34.56, "34.560"},
      {"#0.00000", 0.000005, "0.00001"},
      {"#0.000", 2.0005, "2.001"},  // 2.0005 is slightly above the half in binary
      {"###", 0, ""},
      {"###", 136, "136"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected) << c.pattern << " " << c.value;
  }
}

// A negative value keeps its "-" when it rounds to zero, on the quick path of
// plain patterns and on the general one; -0.0 is not negative.
TEST(NumberPattern, NegativeRoundingToZeroKeepsItsSign) {
  EXPECT_EQ(FormatNumber(-0.00004, "####0.0000"), "-0.0000");
  EXPECT_EQ(FormatNumber(-0.000004, "000000.00000"), "-000000.00000");
  EXPECT_EQ(FormatNumber(-0.000004, "#####0.00000"), "-0.00000");
  EXPECT_EQ(FormatNumber(-0.004, "#,###,##0.00"), "-0.00");
  EXPECT_EQ(FormatNumber(-0.4, "##0"), "-0");
  EXPECT_EQ(FormatNumber(-1e-300, " ##0.00000000"), "- 0.00000000");
  EXPECT_EQ(FormatNumber(-0.0, "####0.0000"), "0.0000");
  EXPECT_EQ(FormatNumber(-0.0, "000000.00000"), "000000.00000");
  EXPECT_EQ(FitRight(FormatNumber(-0.000001, "#####0.00000"), 9), " -0.00000");
}

TEST(NumberPattern, ExactBinaryHalvesRoundAwayFromZero) {
  // 0.125, 2.5 and 0.375 are exact binary values lying on a half.
  EXPECT_EQ(FormatNumber(0.125, "0.00"), "0.13");
  EXPECT_EQ(FormatNumber(-0.125, "0.00"), "-0.13");
  EXPECT_EQ(FormatNumber(2.5, "0"), "3");
  EXPECT_EQ(FormatNumber(0.375, "0.00"), "0.38");
  EXPECT_EQ(FormatNumber(0.5, "0"), "1");
  // 2.675 is below the half in binary and therefore rounds down.
  EXPECT_EQ(FormatNumber(2.675, "0.00"), "2.67");
  EXPECT_EQ(FormatNumber(0.0625, "#0.000"), "0.063");
  EXPECT_EQ(FormatNumber(59.9995, "00.000"), "59.999");  // below the half in binary
}

TEST(NumberPattern, AgreesWithTheExactDecimalExpansion) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> exponent(-12.0, 17.0);
  // The integer part as "0" prints it, padded to six digits, or left out
  // when it is 0 and only "#" stands for it.
  const std::string wholes[] = {"0", "000000", "#"};
  for (int decimals = 0; decimals <= 10; ++decimals) {
    for (const std::string& whole : wholes) {
      const std::string pattern = decimals == 0 ? whole : whole + "." + std::string(decimals, '0');
      const NumberPattern p(pattern);
      for (int i = 0; i < 2000; ++i) {
        double v = std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1);
        if (i % 4 == 0)
          v = std::round(v * std::pow(10.0, decimals + 1)) / std::pow(10.0, decimals + 1);
        if (i % 8 == 1)
          v = std::ldexp(static_cast<double>(rng() % 4096), -static_cast<int>(rng() % 16));
        std::string want = testing::ExactRounded(v, decimals);
        const std::size_t digits = std::min(want.find('.'), want.size());
        if (whole == "000000" && digits < 6) want.insert(0, 6 - digits, '0');
        if (whole == "#" && want.compare(0, digits, "0") == 0 && digits == 1) want.erase(0, 1);
        if (v < 0) want = "-" + want;
        ASSERT_EQ(p.Format(v), want) << pattern << " " << v;
      }
    }
  }
}

TEST(NumberPattern, AppendsWithoutTouchingWhatIsThere) {
  const NumberPattern p("######.0000");
  std::string out = "X=";
  p.AppendTo(1.5, out);
  p.AppendTo(-2, out);
  EXPECT_EQ(out, "X=1.5000-2.0000");
  EXPECT_THROW(p.Format(INFINITY), OverflowError);
  EXPECT_THROW(p.Format(NAN), OverflowError);
  EXPECT_EQ(p.Format(1e20), "100000000000000000000.0000");
  // The largest values with a long decimal part still print in full.
  const std::string wide = "0." + std::string(300, '0');
  const std::string s = FormatNumber(-1.7e308, wide);
  EXPECT_EQ(s.size(), 1 + 309 + 1 + 300u);
  EXPECT_EQ(s.substr(0, 5), "-1699");  // the exact binary value
}

// What the pattern prints for the number a text reads as, when AsReadTail
// says it is the text and its tail; "" otherwise.
std::string AsRead(const NumberPattern& p, std::string_view text) {
  const std::optional<std::string_view> tail = p.AsReadTail(text);
  return tail ? std::string(text) + std::string(*tail) : std::string();
}

TEST(NumberPatternAsRead, TakesTheTextsThePatternPrintsAsTheyAre) {
  struct AsReadCase {
    const char* pattern;
    const char* text;
    const char* printed;  // "": the number must be formatted
  };
  const AsReadCase cases[] = {
      {"000000.00000", "374319.89737", "374319.89737"},
      {"000000.00000", "000000.00000", "000000.00000"},
      {"000000.00000", "374319.8", "374319.80000"},
      {"000000.00000", "374319", "374319.00000"},
      {"000000.00000", "374319.", "374319.00000"},
      {"000000.00000", "74319.89737", ""},    // the pattern pads to six digits
      {"000000.00000", "0374319.8", ""},      // a leading zero the pattern leaves out
      {"000000.00000", "374319.897371", ""},  // more decimals
      {"0000000.00000", "1392435.66336", "1392435.66336"},
      {"0000000.00000", "11392435.66336", "11392435.66336"},
      {"######0.0000", "116143.2598", "116143.2598"},
      {"######0.0000", "0.5", "0.5000"},
      {"######0.0000", "0", "0.0000"},
      {"######0.0000", "05.5", ""},
      {"######0.0000", ".5", ""},
      {"######0.0000", "-23431.8885", ""},
      {"######0.0000", "+1.5", ""},
      {"######0.0000", "-0.0000", ""},
      {"######0.0000", "1e5", ""},
      {"######0.0000", " 1.5", ""},
      {"######0.0000", "1.5\t", ""},
      {"######0.0000", "1.2.3", ""},
      {"######0.0000", "12345678901.1234", "12345678901.1234"},  // 15 digits: still exact
      {"######0.0000", "123456789012.1234", ""},                 // 16 digits
      {"######0.0000", "123456789012", ""},                      // 16 with the decimals printed
      {"####0.0000", "367.996", "367.9960"},
      {"####0.0000", "367", "367.0000"},
      {"####0.0000", "367.99600", ""},
      {"##0", "136", "136"},
      {"##0", "136.", ""},  // the pattern prints no point
      {"0.", "7", "7."},
      {"#.0000", "0.25", ""},    // prints ".2500"
      {"0.0#", "1.5", ""},       // optional decimals
      {"#,##0.00", "1.50", ""},  // grouping
      {"0.00 m", "1.50", ""},    // literals
      {"0.00", "", ""},
  };
  for (const AsReadCase& c : cases) {
    const NumberPattern p(c.pattern);
    EXPECT_EQ(AsRead(p, c.text), c.printed) << c.pattern << " " << c.text;
    if (*c.printed != '\0') {
      EXPECT_EQ(c.printed, p.Format(ParseNumber(c.text))) << c.text;
    }
  }
}

// Whenever a text is taken as it is, it is what the pattern prints for its
// number; and the usual texts are taken.
TEST(NumberPatternAsRead, EveryTextTakenIsWhatThePatternPrints) {
  const char* patterns[] = {
      "000000.00000", "0000000.00000", "######0.0000", "####0.0000", "#.0000", "0.0", "0", "##0",
      "0.",           "00.00000"};
  for (const char* pattern : patterns) {
    const NumberPattern p(pattern);
    testing::NumberTexts texts(7);
    int taken = 0;
    for (int i = 0; i < 40000; ++i) {
      const std::string text = texts.Next();
      double value = 0;
      if (ReadNumber(text, value) != NumberRead::kOk) {
        ASSERT_FALSE(p.AsReadTail(text)) << pattern << " [" << text << "]";
        continue;
      }
      if (!p.AsReadTail(text)) continue;
      ++taken;
      ASSERT_EQ(AsRead(p, text), p.Format(value)) << pattern << " [" << text << "]";
    }
    EXPECT_GT(taken, 400) << pattern;
  }
}

TEST(TextHelpers, SpacedNumberFitAndVersion) {
  EXPECT_EQ(SpacedNumber(9), " 9");
  EXPECT_EQ(SpacedNumber(0), " 0");
  EXPECT_EQ(SpacedNumber(-3), "-3");
  EXPECT_EQ(SpacedNumber(1000000), " 1000000");
  EXPECT_EQ(FitLeft("abc", 5), "abc  ");
  EXPECT_EQ(FitLeft("abcdef", 4), "abcd");
  EXPECT_EQ(FitRight("abc", 5), "  abc");
  EXPECT_EQ(FitRight("abcdef", 4), "abcd");
  EXPECT_EQ(kProgramTitle, "座標変換プログラム");
  EXPECT_EQ(kVersionText, "1.0.0");
}

TEST(IntegerLimits, SixteenAndThirtyTwoBitOverflow) {
  EXPECT_EQ(FloorToInt16(32767.9), 32767);
  EXPECT_THROW(FloorToInt16(32768.0), OverflowError);
  EXPECT_EQ(FloorToInt16(-32768.0), -32768);
  EXPECT_THROW(FloorToInt16(-32768.5), OverflowError);
  EXPECT_THROW(FloorToInt16(NAN), OverflowError);
  EXPECT_EQ(ToInt16(2.5), 2);  // half to even, like the classic conversion
  EXPECT_THROW(ToInt16(40000), OverflowError);
  EXPECT_THROW(AddInt16(32767, 1), OverflowError);
  EXPECT_THROW(AddInt32(INT32_MAX, 1), OverflowError);
  EXPECT_EQ(AddInt32(2000, 2000), 4000);
  EXPECT_THROW(Checked(1.0 / 0.0 * 0.0), OverflowError);
  try {
    Checked(INFINITY, "Y");
    FAIL();
  } catch (const VarnoError& e) {
    EXPECT_TRUE(e.IsOverflow());
    EXPECT_EQ(e.number(), kErrOverflow);
  }
}

}  // namespace
}  // namespace varno
