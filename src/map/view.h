// The picture's geometry: plane rectangular X (north) up and Y (east) right,
// the fitting of a view to the grid or to points, the levels of detail of the
// cells, the thinning of the correction arrows, and the axis ticks.
#pragma once

#include <cstdint>
#include <vector>

#include "map/model.h"

namespace varno::map {

struct PixelPoint {
  double px = 0, py = 0;
};

// A world rectangle in metres.
struct Bounds {
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool empty = true;
  void Add(double x, double y);
  void Add(const Bounds& b);
};

Bounds GridBounds(const GridModel& g);
// The pre-earthquake and corrected positions of the placed points.
Bounds PointBounds(const RunPoints* run, const SinglePoint* single);

// A view of `width` x `height` pixels centred on (centerX, centerY) at `scale`
// pixels per metre. Pixel (0, 0) is the top-left corner.
struct Viewport {
  double centerX = 0, centerY = 0;
  double scale = 1;
  int width = 1, height = 1;

  PixelPoint ToPixel(double x, double y) const {
    return {width / 2.0 + (y - centerY) * scale, height / 2.0 - (x - centerX) * scale};
  }
  void ToWorld(double px, double py, double& x, double& y) const {
    y = centerY + (px - width / 2.0) / scale;
    x = centerX - (py - height / 2.0) / scale;
  }
  // The world rectangle that the view shows.
  Bounds Visible() const;
  // Zooms by `factor` keeping the world point under pixel (px, py) in place.
  void ZoomAt(double px, double py, double factor);
  void PanPixels(double dx, double dy);
};

inline constexpr double kMinScale = 1e-7;  // pixels per metre
inline constexpr double kMaxScale = 1e4;

// A view of `width` x `height` showing `b` whole with `margin` pixels around;
// an empty or degenerate rectangle gets a 1 km square around its centre.
Viewport Fit(const Bounds& b, int width, int height, double margin);

// The smallest of 1, 2, 5 times a power of ten that is at least `rough` (> 0).
double NiceStep(double rough);
// The largest of 1, 2, 5 times a power of ten that is at most `value` (> 0).
double NiceFloor(double value);

// The cells as one class per pixel of the view (row-major, width x height),
// each pixel taking the cell under its centre: the level of detail for cells
// smaller than a pixel, and exact for larger ones.
void RasterCells(const GridModel& g, const Viewport& v, std::vector<CellClass>& out);

// The correction arrows that fit the view: every `stride`-th node in both
// directions (counted from the grid's lower corner, so that they stay in place
// while panning), `pxPerMetre` pixels of arrow per metre of correction, and a
// scale bar of `barMetres` drawn `barPx` long.
struct ArrowPlan {
  int32_t stride = 0;  // 0: no arrows
  double pxPerMetre = 0;
  double barMetres = 0;
  double barPx = 0;
};
ArrowPlan PlanArrows(const GridModel& g, const Viewport& v, double minSpacingPx = 40);

struct Arrow {
  int32_t row, col;
  PixelPoint from, to;  // node and the corrected end, pixels
};
void VisibleArrows(const GridModel& g, const Viewport& v, const ArrowPlan& plan,
                   std::vector<Arrow>& out);

// Nodes without a record within the view, when nodes are at least
// `minSpacingPx` apart (else none: the cells show them).
void VisibleMissingNodes(const GridModel& g, const Viewport& v, double minSpacingPx,
                         std::vector<PixelPoint>& out);

// The node nearest to pixel (px, py) within `radiusPx`; false when none.
bool NodeNear(const GridModel& g, const Viewport& v, double px, double py, double radiusPx,
              int32_t& row, int32_t& col);

// Axis ticks in metres for one axis shown over [lo, hi], about `pixels` long.
std::vector<double> Ticks(double lo, double hi, double pixels, double minGapPx = 80);

// The world point lies within the rectangle.
bool Contains(const Bounds& b, double x, double y);

}  // namespace varno::map

namespace varno::map {

// The two short strokes of an arrow head at `to`, pointing away from `from`.
void ArrowHead(const PixelPoint& from, const PixelPoint& to, PixelPoint& left, PixelPoint& right);

}  // namespace varno::map
