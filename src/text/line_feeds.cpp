#include "text/line_feeds.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace varno {

long long CountLineFeeds(std::string_view bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFULL, kLanes = 0x0001000100010001ULL;
  constexpr std::size_t kRun = 255 * 8;  // a byte counts at most 255 words
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  long long count = 0;
  std::size_t i = 0;
  while (i + 8 <= n) {
    const std::size_t stop = i + std::min(kRun, (n - i) / 8 * 8);
    uint64_t flags = 0;  // one count per byte position
    for (; i < stop; i += 8) {
      uint64_t w = 0;
      std::memcpy(&w, p + i, 8);
      const uint64_t x = w ^ (kOnes * '\n');  // zero bytes where the LFs are
      // High bit set exactly in the zero bytes (no carry between bytes).
      flags += (~(((x & kLow7) + kLow7) | x | kLow7)) >> 7;
    }
    // The eight byte counts added in 16-bit lanes, then the lanes.
    const uint64_t pairs = (flags & kEvenBytes) + ((flags >> 8) & kEvenBytes);
    count += static_cast<long long>((pairs * kLanes) >> 48);
  }
  for (; i < n; ++i) count += p[i] == '\n';
  return count;
}

}  // namespace varno
