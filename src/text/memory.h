// Hints to the system about large blocks of memory. They change no byte the
// program reads or writes, only how quickly it gets there.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

namespace varno {

// Asks the system to back [p, p + bytes) with 2 MB pages where it can: fewer
// page faults while the memory is first written, and no page-table walk for
// most random reads later. Does nothing where the system has no such pages.
void AdviseHugePages(const void* p, std::size_t bytes);

// Has the system back [p, p + bytes) with memory on a thread of its own, 2 MB
// at a time, without changing a byte: the thread that fills the block later
// then finds its pages ready instead of stopping at each new one (on this
// machine, fresh memory costs more to touch than to fill). Destroying the
// object stops that thread and waits for it. Does nothing where the system
// cannot (MADV_POPULATE_WRITE, Linux 5.14) or no thread can be had.
class BackgroundPrefault {
 public:
  BackgroundPrefault(void* p, std::size_t bytes);
  ~BackgroundPrefault();
  BackgroundPrefault(const BackgroundPrefault&) = delete;
  BackgroundPrefault& operator=(const BackgroundPrefault&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace varno
