// The inline short copies and blank runs against std::copy and std::fill:
// every length up to past the largest size class, at every alignment, with
// guard bytes around the target that must stay untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/short_copy.h"

namespace varno {
namespace {

TEST(ShortCopy, EveryLengthAndAlignmentWritesExactlyItsBytes) {
  std::string source(200, '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>('a' + i % 26);
  for (std::size_t n = 0; n <= 100; ++n) {
    for (std::size_t at = 0; at < 8; ++at) {
      SCOPED_TRACE("length " + std::to_string(n) + " at " + std::to_string(at));
      std::string copied(n + 32, '#'), blanks(n + 32, '#');
      std::string want = copied, wantBlanks = blanks;
      std::copy_n(source.data() + at, n, want.data() + 8 + at % 4);
      std::fill_n(wantBlanks.data() + 8 + at % 4, n, ' ');
      char* end = CopyShort(source.data() + at, n, copied.data() + 8 + at % 4);
      EXPECT_EQ(end, copied.data() + 8 + at % 4 + n);
      EXPECT_EQ(copied, want);
      end = BlanksShort(n, blanks.data() + 8 + at % 4);
      EXPECT_EQ(end, blanks.data() + 8 + at % 4 + n);
      EXPECT_EQ(blanks, wantBlanks);
    }
  }
}

}  // namespace
}  // namespace varno
