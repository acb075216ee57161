#include "text/line_feeds.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varno {

long long CountLineFeeds(std::string_view bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFULL, kLanes = 0x0001000100010001ULL;
  constexpr std::size_t kRun = 255 * 8;  // a byte counts at most 255 words
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  long long count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: each byte lane counts the LFs met in it, for at
  // most 255 blocks, then the lanes are added up.
  const __m128i feed = _mm_set1_epi8('\n');
  while (i + 16 <= n) {
    const std::size_t stop = i + std::min<std::size_t>(255 * 16, (n - i) / 16 * 16);
    __m128i lanes = _mm_setzero_si128();
    for (; i < stop; i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, feed));  // a hit is -1
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    count += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
  }
#endif
  // Eight bytes at a time (the rest of the bytes, or all without SSE2).
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
