#include "text/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace varno {
namespace {

// Making pages ready never changes a byte, whether the block was written
// before, is written meanwhile by another thread, or is freed right after;
// blocks that start or end inside a page, and empty ones, are taken too.
TEST(BackgroundPrefault, ChangesNoByteWrittenBeforeOrMeanwhile) {
  constexpr std::size_t kCount = 6u << 20;  // 48 MB of uint64_t
  std::unique_ptr<uint64_t[]> block(new uint64_t[kCount]);
  for (std::size_t i = 0; i < kCount / 2; ++i) block[i] = i * 0x9E3779B97F4A7C15ull;
  {
    const BackgroundPrefault ready(block.get(), kCount * sizeof(uint64_t));
    for (std::size_t i = kCount / 2; i < kCount; ++i) block[i] = i * 0x9E3779B97F4A7C15ull;
  }
  for (std::size_t i = 0; i < kCount; ++i) {
    ASSERT_EQ(block[i], i * 0x9E3779B97F4A7C15ull) << i;
  }
  char bytes[100] = {1, 2, 3};
  { const BackgroundPrefault inside(bytes + 1, 50); }
  { const BackgroundPrefault none(bytes, 0); }
  EXPECT_EQ(bytes[0] + bytes[1] + bytes[2], 6);
  // Stopped at once: the memory is freed right after.
  std::vector<char> gone(64u << 20);
  { const BackgroundPrefault stopped(gone.data(), gone.size()); }
  gone.clear();
  gone.shrink_to_fit();
}

}  // namespace
}  // namespace varno
