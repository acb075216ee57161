// The grid store: the parameter file's header and its node records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varno::params {

struct ParaRecord {
  double x = 0, y = 0, dx = 0, dy = 0, dh = 0;  // metres
};

class GridIndex;  // interpolate.h

struct ParamStore {
  std::string paraFilePath;  // UTF-8 path
  // Information line, kept as the CP932 bytes read from the file.
  std::string rangeText, methodText, version;
  int16_t zoneNo = 0;
  double gridMinX = 0, gridMaxX = 0, gridStepX = 0;
  double gridMinY = 0, gridMaxY = 0, gridStepY = 0;
  // Element 0 exists and stays zero; valid elements are 1..count.
  std::vector<ParaRecord> records = std::vector<ParaRecord>(1);
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
