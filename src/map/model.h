// What the parameter-range picture shows, without a window: the grid's nodes
// and cells classified by whether they carry parameters, and the points of a
// single conversion and of a batch run with their outcomes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "params/store.h"
#include "params/transform.h"

namespace varno::map {

// A grid node: a record with corrections, a record with dX = dY = 0 (a place
// without parameters), or no record within 1 cm of the node.
enum class NodeClass : uint8_t { kParams, kZero, kMissing };
// A cell: all four corners with parameters; a corner without parameters
// (the interpolation answers -9999 there); a corner missing from the file.
enum class CellClass : uint8_t { kParams = 0, kNoParams = 1, kMissing = 2, kOutside = 3 };

// Above this many nodes the picture shows the grid's extent only.
inline constexpr int64_t kMaxNodes = 16'000'000;

class GridModel {
 public:
  // Classifies every node and cell of the store's grid. Never throws on a
  // malformed header: an unusable extent gives !hasExtent(), too many nodes
  // give an extent without nodes.
  static GridModel Build(const params::ParamStore& store);

  bool hasExtent() const { return hasExtent_; }
  bool hasNodes() const { return rows_ > 0 && cols_ > 0; }
  double minX() const { return minX_; }
  double maxX() const { return maxX_; }
  double minY() const { return minY_; }
  double maxY() const { return maxY_; }
  double stepX() const { return stepX_; }
  double stepY() const { return stepY_; }
  // Nodes along X (rows, northward) and along Y (columns, eastward).
  int32_t rows() const { return rows_; }
  int32_t cols() const { return cols_; }
  double NodeX(int32_t row) const { return minX_ + row * stepX_; }
  double NodeY(int32_t col) const { return minY_ + col * stepY_; }

  // 1-based record index of a node, 0 when missing.
  int32_t NodeRecord(int32_t row, int32_t col) const {
    return nodeRecord_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
                       static_cast<std::size_t>(col)];
  }
  NodeClass NodeAt(int32_t row, int32_t col) const;
  const params::ParaRecord& Record(int32_t index) const { return store_->records[index]; }
  // Cells: (rows - 1) x (cols - 1); the cell (row, col) has the node (row, col)
  // as its lower corner.
  CellClass CellAt(int32_t row, int32_t col) const {
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_ - 1) +
                  static_cast<std::size_t>(col)];
  }
  // The cell holding (x, y), or kOutside.
  CellClass CellAtPoint(double x, double y) const;
  // Largest horizontal correction of a node with parameters (metres).
  double maxCorrection() const { return maxCorrection_; }
  // Counts of cells by class (kParams, kNoParams, kMissing) and missing nodes.
  int64_t cellCount(CellClass c) const { return cellCount_[static_cast<int>(c)]; }
  int64_t missingNodes() const { return missingNodes_; }
  int32_t zoneNo() const { return zoneNo_; }

 private:
  const params::ParamStore* store_ = nullptr;
  bool hasExtent_ = false;
  double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0, stepX_ = 0, stepY_ = 0;
  int32_t rows_ = 0, cols_ = 0;
  std::vector<int32_t> nodeRecord_;
  std::vector<CellClass> cells_;
  double maxCorrection_ = 0;
  int64_t cellCount_[3] = {0, 0, 0};
  int64_t missingNodes_ = 0;
  int32_t zoneNo_ = 0;
};

// The outcome of a converted point: corrected with the grid, with the
// representative point, not converted (no parameters), or refused by the
// latitude/longitude range test.
enum class Outcome : uint8_t { kGrid, kRep, kNone, kRange };

// "grid", "rep", "none", "range".
const char* OutcomeClass(Outcome o);
// The outcome of a point transformation.
Outcome OutcomeOfStatus(params::TransformStatus status);

// A run keeps up to a million of these: the flags sit together, so that a
// point takes 112 bytes rather than 128.
struct MapPoint {
  int64_t line = 0;  // 1-based line number of the input file
  std::string name;  // CP932 bytes as read
  Outcome outcome = Outcome::kNone;
  bool latLonInput = false;  // the input gave latitude/longitude (packed dms)
  bool placed = false;       // x, y hold the pre-earthquake plane coordinates
  bool corrected = false;    // x2, y2, h2 hold the result
  double inB = 0, inL = 0;   // as read, packed dms, when latLonInput
  double x = 0, y = 0, h = 0;
  double x2 = 0, y2 = 0, h2 = 0;
};
static_assert(sizeof(MapPoint) <= 112, "a point of the picture grew");

// The points of one batch run in input order.
struct RunPoints {
  std::vector<MapPoint> points;
  std::string inputName;  // UTF-8, for the legend
  // Data lines not kept (a run beyond the kept maximum), by outcome (grid,
  // rep, none, range).
  int64_t droppedBy[4] = {0, 0, 0, 0};
  bool finished = false;  // the run reached the end of its input
  int64_t Dropped() const { return droppedBy[0] + droppedBy[1] + droppedBy[2] + droppedBy[3]; }
  void Clear() {
    points.clear();
    inputName.clear();
    std::fill(std::begin(droppedBy), std::end(droppedBy), 0);
    finished = false;
  }
};

// The last point of the main window, before and after.
struct SinglePoint {
  bool valid = false;
  MapPoint point;
};

// One line of text per fact of a point, UTF-8, for tooltips and SVG titles:
// line number and name first.
std::string PointDescription(const MapPoint& p, bool single = false);
// A node's record for its tooltip.
std::string NodeDescription(const GridModel& g, int32_t row, int32_t col);

}  // namespace varno::map
