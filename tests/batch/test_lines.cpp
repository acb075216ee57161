#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/lines.h"

namespace varno::batch {
namespace {

struct SplitCase {
  std::string line;
  int k;
  std::vector<std::string> fields;
};

TEST(SplitDataLine, FieldsAndCounts) {
  const std::vector<SplitCase> cases = {
      {"370856.1234  1395201.9876   123.456  剣岳",
       4,
       {"370856.1234", "1395201.9876", "123.456", "剣岳"}},
      {"   370856.1234 1395201.9876 123.456", 3, {"370856.1234", "1395201.9876", "123.456"}},
      // The name keeps blanks inside it and at its end.
      {"1 2 3 名前 with  blanks  ", 4, {"1", "2", "3", "名前 with  blanks  "}},
      // Field 4 starts after the blanks that follow field 3.
      {"1 2 3    tail", 4, {"1", "2", "3", "tail"}},
      // A tab is skipped where a field would start, but does not end a field.
      {"370856.1234\t1395201.9876", 1, {"370856.1234\t1395201.9876"}},
      {"\t1 \t2\t 3", 3, {"1", "2\t", "3"}},
      {"1\t 2", 2, {"1\t", "2"}},
      {"1 2 3 \tname", 4, {"1", "2", "3", "name"}},
      // Full-width spaces, commas and colons are ordinary characters.
      {"1\xe3\x80\x80"
       "2,3:4",
       1,
       {"1\xe3\x80\x80"
        "2,3:4"}},
      {"", 0, {}},
      {"    ", 0, {}},
      {"\t \t", 0, {}},
      {"abc", 1, {"abc"}},
      {"a b ", 2, {"a", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    LineFields f = SplitDataLine(c.line);
    ASSERT_EQ(f.k, c.k);
    for (int i = 0; i < c.k; ++i) EXPECT_EQ(f.field[i], c.fields[static_cast<std::size_t>(i)]);
    for (int i = c.k; i < 4; ++i) EXPECT_TRUE(f.field[i].empty());
  }
}

TEST(SplitDataLine, NamesWithBackslashTrailBytesPassUnchanged) {
  // "表" is 0x95 0x5C and "ソ" is 0x83 0x5C in CP932; 0x5C must not split.
  const std::string name = "\x95\x5c \x83\x5c\\x";
  const std::string line = "1 2 3 " + name;  // the fields are views into it
  LineFields f = SplitDataLine(line);
  ASSERT_EQ(f.k, 4);
  EXPECT_EQ(f.field[3], name);
  // Invalid CP932 bytes too.
  const std::string junk("\xff\x80\xfd\x00z", 5);
  const std::string junkLine = "1 2 3 " + junk;
  f = SplitDataLine(junkLine);
  ASSERT_EQ(f.k, 4);
  EXPECT_EQ(f.field[3], junk);
}

TEST(ClassifyLine, Kinds) {
  struct Case {
    std::string line;
    LineKind kind;
  };
  const std::vector<Case> cases = {
      {"", LineKind::kEmpty},
      {"#", LineKind::kComment},
      {"# 1 2 3", LineKind::kComment},
      {"#1 2 3", LineKind::kComment},
      {" # 1 2 3", LineKind::kOther},  // only the very first byte makes a comment
      {"1", LineKind::kOther},
      {"   ", LineKind::kOther},
      {"abc 1 2", LineKind::kOther},
      {"1 abc 2", LineKind::kOther},
      {"1\t2 3", LineKind::kOther},
      {"1 2", LineKind::kData},  // no H: a data line, whose conversion then fails
      {"1 2 x", LineKind::kData},
      {"370856 1395201 1", LineKind::kData},  // no decimal point needed
      {"-1500.25 -2400.5 -3.5", LineKind::kData},
      {"  1.5 2.5 3 name", LineKind::kData},
      {"1,5 2 3", LineKind::kOther},
      {"１ 2 3", LineKind::kOther},  // full-width digits are not numeric
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    LineFields f;
    EXPECT_EQ(ClassifyLine(c.line, f), c.kind);
  }
}

}  // namespace
}  // namespace varno::batch
