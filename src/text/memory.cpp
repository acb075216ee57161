#include "text/memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace varno {

void AdviseHugePages(const void* p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  // Only the whole 2 MB pages inside the block.
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<uintptr_t>(p);
  const uintptr_t from = (begin + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t to = (begin + bytes) & ~(kHuge - 1);
  if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // NOLINT
#else
  (void)p;
  (void)bytes;
#endif
}

BackgroundPrefault::BackgroundPrefault(void* p, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  constexpr uintptr_t kPage = 4096, kStep = uintptr_t{2} << 20;
  const auto begin = (reinterpret_cast<uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
  const auto end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kPage - 1);
  if (begin >= end) return;
  try {
    thread_ = std::thread([this, begin, end, kStep] {
      for (uintptr_t at = begin; at < end && !stop_.load(std::memory_order_relaxed); at += kStep) {
        // A failure (an old kernel, memory short) leaves the pages to be
        // faulted in as they are written.
        if (madvise(reinterpret_cast<void*>(at), std::min(kStep, end - at),  // NOLINT
                    MADV_POPULATE_WRITE) != 0)
          return;
      }
    });
  } catch (const std::system_error&) {
    // No thread: the pages come as they are written.
  }
#else
  (void)p;
  (void)bytes;
#endif
}

BackgroundPrefault::~BackgroundPrefault() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace varno
