#include "text/memory.h"

#include <sys/mman.h>

#include <cstdint>

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

}  // namespace varno
