// The line-feed count against a byte-by-byte count: long runs of LFs (more
// than one word's byte counters can hold), bytes one bit away from LF, every
// length and start offset around the word and block sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "text/line_feeds.h"

namespace varno {
namespace {

TEST(CountLineFeeds, AgreesWithAByteCountOnAnyBytes) {
  std::mt19937 rng(7);
  const char pool[] = {'\n', '\n', '\r', '\x0b', '\x08', '\x8a', '\x4a', 'a', '\\', '\0'};
  std::uniform_int_distribution<int> pick(0, sizeof pool - 1);
  for (int length :
       {0, 1, 7, 8, 9, 15, 16, 17, 31, 33, 2039, 2040, 2041, 4079, 4080, 4081, 4096, 20003}) {
    std::string bytes(static_cast<std::size_t>(length) + 8, '\0');
    for (char& c : bytes) c = pool[pick(rng)];
    for (std::size_t offset = 0; offset < 8; ++offset) {
      const std::string_view view(bytes.data() + offset, static_cast<std::size_t>(length));
      EXPECT_EQ(CountLineFeeds(view), std::count(view.begin(), view.end(), '\n'))
          << length << " at " << offset;
    }
  }
  // Only LFs: every byte counter of a word runs through its largest value.
  const std::string feeds(100003, '\n');
  EXPECT_EQ(CountLineFeeds(feeds), 100003);
}

}  // namespace
}  // namespace varno
