#include "map/view.h"

#include <algorithm>
#include <cmath>

namespace varno::map {

namespace {

constexpr double kEmptySpan = 1000.0;  // metres shown around a single place

}  // namespace

void Bounds::Add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty) {
    minX = maxX = x;
    minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

void Bounds::Add(const Bounds& b) {
  if (b.empty) return;
  Add(b.minX, b.minY);
  Add(b.maxX, b.maxY);
}

bool Contains(const Bounds& b, double x, double y) {
  return !b.empty && x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY;
}

Bounds GridBounds(const GridModel& g) {
  Bounds b;
  if (!g.hasExtent()) return b;
  b.Add(g.minX(), g.minY());
  b.Add(g.maxX(), g.maxY());
  if (g.hasNodes()) b.Add(g.NodeX(g.rows() - 1), g.NodeY(g.cols() - 1));
  return b;
}

namespace {

void AddPoint(Bounds& b, const MapPoint& p) {
  if (p.placed) b.Add(p.x, p.y);
  if (p.corrected) b.Add(p.x2, p.y2);
}

}  // namespace

Bounds PointBounds(const RunPoints* run, const SinglePoint* single) {
  Bounds b;
  if (run) {
    for (const MapPoint& p : run->points) AddPoint(b, p);
  }
  if (single && single->valid) AddPoint(b, single->point);
  return b;
}

Bounds Viewport::Visible() const {
  Bounds b;
  double x0, y0, x1, y1;
  ToWorld(0, height, x0, y0);
  ToWorld(width, 0, x1, y1);
  b.Add(x0, y0);
  b.Add(x1, y1);
  return b;
}

void Viewport::ZoomAt(double px, double py, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  double x, y;
  ToWorld(px, py, x, y);
  scale = std::clamp(scale * factor, kMinScale, kMaxScale);
  // Keep (x, y) under (px, py).
  centerY = y - (px - width / 2.0) / scale;
  centerX = x + (py - height / 2.0) / scale;
}

void Viewport::PanPixels(double dx, double dy) {
  centerY -= dx / scale;
  centerX += dy / scale;
}

Viewport Fit(const Bounds& b, int width, int height, double margin) {
  Viewport v;
  v.width = std::max(width, 1);
  v.height = std::max(height, 1);
  if (b.empty) {
    v.scale = std::min(v.width, v.height) / kEmptySpan;
    return v;
  }
  double spanX = b.maxX - b.minX, spanY = b.maxY - b.minY;
  v.centerX = b.minX + spanX / 2;
  v.centerY = b.minY + spanY / 2;
  if (!(spanX > 0) && !(spanY > 0)) spanX = spanY = kEmptySpan;
  const double usableW = std::max(v.width - 2 * margin, 1.0);
  const double usableH = std::max(v.height - 2 * margin, 1.0);
  double s =
      std::min(spanY > 0 ? usableW / spanY : HUGE_VAL, spanX > 0 ? usableH / spanX : HUGE_VAL);
  if (!std::isfinite(s)) s = 1;
  v.scale = std::clamp(s, kMinScale, kMaxScale);
  return v;
}

double NiceStep(double rough) {
  if (!(rough > 0) || !std::isfinite(rough)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(rough)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    if (m * p >= rough * (1 - 1e-12)) return m * p;
  }
  return 10 * p;
}

double NiceFloor(double value) {
  if (!(value > 0) || !std::isfinite(value)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(value)));
  for (double m : {5.0, 2.0, 1.0}) {
    if (m * p <= value * (1 + 1e-12)) return m * p;
  }
  return p;
}

namespace {

// For each pixel centre along one axis, the cell index under it, or -1.
void CellIndices(int pixels, int32_t cells, double origin, double step, bool reversed,
                 const Viewport& v, std::vector<int32_t>& out) {
  out.resize(static_cast<std::size_t>(pixels));
  for (int i = 0; i < pixels; ++i) {
    double x, y;
    if (reversed) {
      v.ToWorld(0, i + 0.5, x, y);
    } else {
      v.ToWorld(i + 0.5, 0, x, y);
    }
    const double w = reversed ? x : y;
    const double f = std::floor((w - origin) / step);
    out[static_cast<std::size_t>(i)] = f >= 0 && f < cells ? static_cast<int32_t>(f) : -1;
  }
}

}  // namespace

void RasterCells(const GridModel& g, const Viewport& v, std::vector<CellClass>& out) {
  const std::size_t w = static_cast<std::size_t>(std::max(v.width, 0));
  const std::size_t h = static_cast<std::size_t>(std::max(v.height, 0));
  out.assign(w * h, CellClass::kOutside);
  if (!g.hasNodes() || g.rows() < 2 || g.cols() < 2) return;
  std::vector<int32_t> colOf, rowOf;
  CellIndices(v.width, g.cols() - 1, g.minY(), g.stepY(), false, v, colOf);
  CellIndices(v.height, g.rows() - 1, g.minX(), g.stepX(), true, v, rowOf);
  // Columns inside the grid form one run; find it once.
  std::size_t c0 = 0, c1 = w;
  while (c0 < w && colOf[c0] < 0) ++c0;
  while (c1 > c0 && colOf[c1 - 1] < 0) --c1;
  for (std::size_t py = 0; py < h; ++py) {
    const int32_t r = rowOf[py];
    if (r < 0) continue;
    CellClass* line = &out[py * w];
    for (std::size_t px = c0; px < c1; ++px) {
      const int32_t c = colOf[px];
      if (c >= 0) line[px] = g.CellAt(r, c);
    }
  }
}

namespace {

// The node index range [lo, hi] along one axis that lies within [a, b].
bool NodeRange(double a, double b, double origin, double step, int32_t count, int32_t stride,
               int32_t& lo, int32_t& hi) {
  double f0 = std::ceil((a - origin) / step), f1 = std::floor((b - origin) / step);
  f0 = std::max(f0, 0.0);
  f1 = std::min(f1, static_cast<double>(count - 1));
  if (!(f0 <= f1)) return false;
  lo = static_cast<int32_t>(f0);
  hi = static_cast<int32_t>(f1);
  if (stride > 1) lo = (lo + stride - 1) / stride * stride;
  return lo <= hi;
}

}  // namespace

ArrowPlan PlanArrows(const GridModel& g, const Viewport& v, double minSpacingPx) {
  ArrowPlan plan;
  if (!g.hasNodes() || !(g.maxCorrection() > 0)) return plan;
  const double nodePx = std::min(g.stepX(), g.stepY()) * v.scale;
  if (!(nodePx > 0)) return plan;
  const double need = std::ceil(minSpacingPx / nodePx);
  const double limit = std::max(g.rows(), g.cols());
  const double stride = need <= 1 ? 1 : NiceStep(need);
  if (!(stride <= limit)) return plan;
  plan.stride = static_cast<int32_t>(stride);
  // The largest correction spans most of the space between two arrows.
  plan.pxPerMetre = 0.8 * plan.stride * nodePx / g.maxCorrection();
  plan.barMetres = NiceFloor(g.maxCorrection());
  plan.barPx = plan.barMetres * plan.pxPerMetre;
  return plan;
}

void VisibleArrows(const GridModel& g, const Viewport& v, const ArrowPlan& plan,
                   std::vector<Arrow>& out) {
  out.clear();
  if (plan.stride <= 0) return;
  const Bounds vis = v.Visible();
  int32_t r0, r1, c0, c1;
  if (!NodeRange(vis.minX, vis.maxX, g.minX(), g.stepX(), g.rows(), plan.stride, r0, r1) ||
      !NodeRange(vis.minY, vis.maxY, g.minY(), g.stepY(), g.cols(), plan.stride, c0, c1)) {
    return;
  }
  for (int32_t r = r0; r <= r1; r += plan.stride) {
    for (int32_t c = c0; c <= c1; c += plan.stride) {
      if (g.NodeAt(r, c) != NodeClass::kParams) continue;
      const params::ParaRecord& rec = g.Record(g.NodeRecord(r, c));
      if (!std::isfinite(rec.dx) || !std::isfinite(rec.dy)) continue;
      Arrow a;
      a.row = r;
      a.col = c;
      a.from = v.ToPixel(g.NodeX(r), g.NodeY(c));
      // dY east (right), dX north (up).
      a.to = {a.from.px + rec.dy * plan.pxPerMetre, a.from.py - rec.dx * plan.pxPerMetre};
      out.push_back(a);
    }
  }
}

void VisibleMissingNodes(const GridModel& g, const Viewport& v, double minSpacingPx,
                         std::vector<PixelPoint>& out) {
  out.clear();
  if (!g.hasNodes() || g.missingNodes() == 0) return;
  if (std::min(g.stepX(), g.stepY()) * v.scale < minSpacingPx) return;
  const Bounds vis = v.Visible();
  int32_t r0, r1, c0, c1;
  if (!NodeRange(vis.minX, vis.maxX, g.minX(), g.stepX(), g.rows(), 1, r0, r1) ||
      !NodeRange(vis.minY, vis.maxY, g.minY(), g.stepY(), g.cols(), 1, c0, c1)) {
    return;
  }
  for (int32_t r = r0; r <= r1; ++r) {
    for (int32_t c = c0; c <= c1; ++c) {
      if (g.NodeRecord(r, c) == 0) out.push_back(v.ToPixel(g.NodeX(r), g.NodeY(c)));
    }
  }
}

bool NodeNear(const GridModel& g, const Viewport& v, double px, double py, double radiusPx,
              int32_t& row, int32_t& col) {
  if (!g.hasNodes()) return false;
  double x, y;
  v.ToWorld(px, py, x, y);
  const double fr = std::nearbyint((x - g.minX()) / g.stepX());
  const double fc = std::nearbyint((y - g.minY()) / g.stepY());
  if (!(fr >= 0 && fr < g.rows() && fc >= 0 && fc < g.cols())) return false;
  const int32_t r = static_cast<int32_t>(fr), c = static_cast<int32_t>(fc);
  const PixelPoint p = v.ToPixel(g.NodeX(r), g.NodeY(c));
  if (std::hypot(p.px - px, p.py - py) > radiusPx) return false;
  row = r;
  col = c;
  return true;
}

std::vector<double> Ticks(double lo, double hi, double pixels, double minGapPx) {
  std::vector<double> t;
  if (!(hi > lo) || !(pixels > 0) || !std::isfinite(lo) || !std::isfinite(hi)) return t;
  const double step = NiceStep((hi - lo) * minGapPx / pixels);
  const double first = std::ceil(lo / step);
  const double last = std::floor(hi / step);
  if (!(last - first < 1000)) return t;
  for (double k = first; k <= last; ++k) t.push_back(k * step == 0 ? 0.0 : k * step);
  return t;
}

}  // namespace varno::map

namespace varno::map {

void ArrowHead(const PixelPoint& from, const PixelPoint& to, PixelPoint& left, PixelPoint& right) {
  const double dx = to.px - from.px, dy = to.py - from.py;
  const double len = std::hypot(dx, dy);
  if (!(len > 0)) {
    left = right = to;
    return;
  }
  const double head = std::min(6.0, len * 0.4);
  const double ux = dx / len, uy = dy / len;
  // 25 degrees either side of the shaft.
  const double c = 0.9063077870366499, s = 0.42261826174069944;
  left = {to.px - head * (ux * c - uy * s), to.py - head * (uy * c + ux * s)};
  right = {to.px - head * (ux * c + uy * s), to.py - head * (uy * c - ux * s)};
}

}  // namespace varno::map
