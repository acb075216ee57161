// Hints to the system about large blocks of memory. They change no byte the
// program reads or writes, only how quickly it gets there.
#pragma once

#include <cstddef>

namespace varno {

// Asks the system to back [p, p + bytes) with 2 MB pages where it can: fewer
// page faults while the memory is first written, and no page-table walk for
// most random reads later. Does nothing where the system has no such pages.
void AdviseHugePages(const void* p, std::size_t bytes);

}  // namespace varno
