// The grid store: the parameter file's header and its node records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace varno::params {

struct ParaRecord {
  double x = 0, y = 0, dx = 0, dy = 0, dh = 0;  // metres
};

namespace detail {
inline bool& LeaveRecordsUncleared() {
  static thread_local bool leave = false;
  return leave;
}
}  // namespace detail

// The records' allocator. A record made without a value (resize,
// emplace_back()) is cleared as usual, except on a thread that holds an
// UnclearedRecords: the reader makes room for a whole file that way, and its
// threads write every record before anything reads it, so that the pages are
// first touched (and cleared by the system) on those threads at once, not
// cleared once more on one thread beforehand.
template <typename T>
struct RecordAllocator : std::allocator<T> {
  static_assert(std::is_trivially_copyable_v<T> && std::is_aggregate_v<T>);
  RecordAllocator() = default;
  template <typename U>
  RecordAllocator(const RecordAllocator<U>& /*other*/) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    if (!detail::LeaveRecordsUncleared()) ::new (static_cast<void*>(p)) U();
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// While one lives, records made on this thread without a value are left as
// the memory holds them: the caller writes every one of them.
class UnclearedRecords {
 public:
  UnclearedRecords() { detail::LeaveRecordsUncleared() = true; }
  ~UnclearedRecords() { detail::LeaveRecordsUncleared() = false; }
  UnclearedRecords(const UnclearedRecords&) = delete;
  UnclearedRecords& operator=(const UnclearedRecords&) = delete;
};

using RecordList = std::vector<ParaRecord, RecordAllocator<ParaRecord>>;

class GridIndex;  // interpolate.h

struct ParamStore {
  std::string paraFilePath;  // UTF-8 path
  // Information line, kept as the CP932 bytes read from the file.
  std::string rangeText, methodText, version;
  int16_t zoneNo = 0;
  double gridMinX = 0, gridMaxX = 0, gridStepX = 0;
  double gridMinY = 0, gridMaxY = 0, gridStepY = 0;
  // Element 0 exists and stays zero; valid elements are 1..count.
  RecordList records = RecordList(1, ParaRecord{});
  int32_t count = 0;
  double repDx = 0, repDy = 0, repDh = 0;  // RepPoint
  // Built after a reading; answers LookupNode as the sequential scan would.
  std::shared_ptr<const GridIndex> index;

  // Header texts decoded for the windows (UTF-8).
  std::string RangeTextUtf8() const;
  std::string MethodTextUtf8() const;
  std::string VersionUtf8() const;
};

}  // namespace varno::params
