// Writing parameter files: the bundled demo grid and large grids for the
// benchmarks and tests.
#pragma once

#include <cstdint>
#include <string>

namespace varno::params {

struct GridShape {
  // Information line (UTF-8; written as CP932).
  std::string rangeText = "Veltra区全域（デモ用）";
  std::string methodText = "1km格子・各点の移動量から作成（デモ用）";
  std::string version = "1.0";
  int zone = 9;
  // Nodes: rows along X (northing), columns along Y (easting).
  double minX = 150000.0, minY = 0.0;
  double step = 1000.0;
  int32_t rows = 81, cols = 71;
  // Leave a south-eastern block of nodes without parameters (dX = dY = 0).
  bool withHole = true;
};

// The demo grid: zone 9, X 150 000 .. 230 000, Y 0 .. 70 000, 1000 m.
GridShape DemoGridShape();

// A large square grid of `side` x `side` nodes for benchmarks.
GridShape LargeGridShape(int32_t side);

// The smooth correction field of the generator at (x, y):
// decimetres to a few metres horizontally, subsidence in dH.
struct FieldValue {
  double dx, dy, dh;
};
FieldValue CorrectionAt(const GridShape& shape, double x, double y);

// True when the node lies in the block without parameters.
bool InHole(const GridShape& shape, int32_t row, int32_t col);

// The whole file: CP932 bytes with CR LF line ends.
std::string MakeGridFile(const GridShape& shape);

// Writes MakeGridFile(shape) to `path`; false when the file cannot be written.
bool WriteGridFile(const GridShape& shape, const std::string& path);

}  // namespace varno::params
