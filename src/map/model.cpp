#include "map/model.h"

#include <cmath>

#include "codec/cp932.h"
#include "text/format.h"
#include "text/quote.h"

namespace varno::map {

namespace {

// A record stands for a node when it lies within 1 cm of it in X and in Y,
// the distance at which the node lookup stops its scan.
constexpr double kNodeTolerance = 0.01;

bool Finite(double v) {
  return std::isfinite(v);
}

// Cells along one axis: the interpolation's cells reach up to the upper limit.
int64_t CellsAlong(double lo, double hi, double step) {
  const double n = std::ceil((hi - lo) / step - 1e-9);
  if (!(n >= 1) || n > 1e9) return n >= 1 ? INT64_MAX : 1;
  return static_cast<int64_t>(n);
}

// The index of the node `v` lies on, or -1.
int32_t NodeIndex(double v, double lo, double step, int32_t count) {
  const double f = std::nearbyint((v - lo) / step);
  if (!(f >= 0) || f >= count) return -1;
  const int32_t i = static_cast<int32_t>(f);
  if (!(std::fabs(v - (lo + i * step)) <= kNodeTolerance)) return -1;
  return i;
}

std::string Number(double v) {
  return std::isfinite(v) ? FormatNumber(v, "######0.0000") : "?";
}

std::string Dms(double v, const char* pattern) {
  return std::isfinite(v) ? FormatNumber(v, pattern) : "?";
}

std::string Correction(double v) {
  return std::isfinite(v) ? FormatNumber(v, "#####0.00000") : "?";
}

}  // namespace

GridModel GridModel::Build(const params::ParamStore& store) {
  GridModel g;
  g.store_ = &store;
  g.zoneNo_ = store.zoneNo;
  g.minX_ = store.gridMinX;
  g.maxX_ = store.gridMaxX;
  g.stepX_ = store.gridStepX;
  g.minY_ = store.gridMinY;
  g.maxY_ = store.gridMaxY;
  g.stepY_ = store.gridStepY;
  for (double v : {g.minX_, g.maxX_, g.stepX_, g.minY_, g.maxY_, g.stepY_}) {
    if (!Finite(v)) return g;
  }
  if (!(g.maxX_ > g.minX_) || !(g.maxY_ > g.minY_)) return g;
  g.hasExtent_ = true;
  if (!(g.stepX_ > 0) || !(g.stepY_ > 0)) return g;
  const int64_t cellsX = CellsAlong(g.minX_, g.maxX_, g.stepX_);
  const int64_t cellsY = CellsAlong(g.minY_, g.maxY_, g.stepY_);
  if (cellsX >= kMaxNodes || cellsY >= kMaxNodes || (cellsX + 1) * (cellsY + 1) > kMaxNodes) {
    return g;
  }
  g.rows_ = static_cast<int32_t>(cellsX + 1);
  g.cols_ = static_cast<int32_t>(cellsY + 1);
  g.nodeRecord_.assign(static_cast<std::size_t>(g.rows_) * static_cast<std::size_t>(g.cols_), 0);

  // The first record on a node stands for it, as the scan stops at it.
  for (int32_t k = 1; k <= store.count && k < static_cast<int32_t>(store.records.size()); ++k) {
    const params::ParaRecord& r = store.records[static_cast<std::size_t>(k)];
    const int32_t row = NodeIndex(r.x, g.minX_, g.stepX_, g.rows_);
    if (row < 0) continue;
    const int32_t col = NodeIndex(r.y, g.minY_, g.stepY_, g.cols_);
    if (col < 0) continue;
    int32_t& slot = g.nodeRecord_[static_cast<std::size_t>(row) * g.cols_ + col];
    if (slot != 0) continue;
    slot = k;
    if ((r.dx != 0 || r.dy != 0) && Finite(r.dx) && Finite(r.dy)) {
      const double m = std::hypot(r.dx, r.dy);
      if (m > g.maxCorrection_ && Finite(m)) g.maxCorrection_ = m;
    }
  }
  for (int32_t s : g.nodeRecord_) g.missingNodes_ += s == 0 ? 1 : 0;

  const std::size_t cellCols = static_cast<std::size_t>(g.cols_ - 1);
  g.cells_.resize(static_cast<std::size_t>(g.rows_ - 1) * cellCols);
  // Node classes of the row below and the row above the cells being set.
  std::vector<NodeClass> below(static_cast<std::size_t>(g.cols_)),
      above(static_cast<std::size_t>(g.cols_));
  for (int32_t c = 0; c < g.cols_; ++c) below[c] = g.NodeAt(0, c);
  for (int32_t r = 0; r + 1 < g.rows_; ++r) {
    for (int32_t c = 0; c < g.cols_; ++c) above[c] = g.NodeAt(r + 1, c);
    CellClass* out = &g.cells_[static_cast<std::size_t>(r) * cellCols];
    for (int32_t c = 0; c + 1 < g.cols_; ++c) {
      const NodeClass k[4] = {below[c], below[c + 1], above[c], above[c + 1]};
      CellClass cls = CellClass::kParams;
      for (NodeClass n : k) {
        if (n == NodeClass::kZero) {
          cls = CellClass::kNoParams;
          break;
        }
        if (n == NodeClass::kMissing) cls = CellClass::kMissing;
      }
      out[c] = cls;
      ++g.cellCount_[static_cast<int>(cls)];
    }
    below.swap(above);
  }
  return g;
}

NodeClass GridModel::NodeAt(int32_t row, int32_t col) const {
  const int32_t k = NodeRecord(row, col);
  if (k == 0) return NodeClass::kMissing;
  const params::ParaRecord& r = store_->records[static_cast<std::size_t>(k)];
  return r.dx == 0 && r.dy == 0 ? NodeClass::kZero : NodeClass::kParams;
}

CellClass GridModel::CellAtPoint(double x, double y) const {
  if (!hasNodes()) return CellClass::kOutside;
  if (!(x >= minX_ && x < maxX_ && y >= minY_ && y < maxY_)) return CellClass::kOutside;
  const double fr = std::floor((x - minX_) / stepX_);
  const double fc = std::floor((y - minY_) / stepY_);
  if (!(fr >= 0 && fr < rows_ - 1 && fc >= 0 && fc < cols_ - 1)) return CellClass::kOutside;
  return CellAt(static_cast<int32_t>(fr), static_cast<int32_t>(fc));
}

const char* OutcomeClass(Outcome o) {
  switch (o) {
    case Outcome::kGrid:
      return "grid";
    case Outcome::kRep:
      return "rep";
    case Outcome::kNone:
      return "none";
    case Outcome::kRange:
      return "range";
  }
  return "none";
}

Outcome OutcomeOfStatus(params::TransformStatus status) {
  switch (status) {
    case params::TransformStatus::kGrid:
      return Outcome::kGrid;
    case params::TransformStatus::kRep:
      return Outcome::kRep;
    case params::TransformStatus::kErr:
      break;
  }
  return Outcome::kNone;
}

namespace {

const char* OutcomeText(Outcome o) {
  switch (o) {
    case Outcome::kGrid:
      return "地域毎の変換ﾊﾟﾗﾒｰﾀで変換";
    case Outcome::kRep:
      return "代表点で変換";
    case Outcome::kNone:
      return "変換ﾊﾟﾗﾒｰﾀがないため変換せず";
    case Outcome::kRange:
      return "座標系の範囲外";
  }
  return "";
}

}  // namespace

std::string PointDescription(const MapPoint& p, bool single) {
  std::string s;
  if (single) {
    s = "単点変換";
  } else {
    s = std::to_string(p.line) + "行";
  }
  s += "  " + QuoteField(Cp932ToUtf8(p.name)) + "\n" + OutcomeText(p.outcome);
  if (p.latLonInput) {
    s += "\n入力 緯度 " + Dms(p.inB, "000000.00000") + "  経度 " + Dms(p.inL, "0000000.00000");
  }
  if (p.placed) {
    s += "\n震災前 X " + Number(p.x) + "  Y " + Number(p.y) + "  H " + Number(p.h);
  }
  if (p.corrected) {
    s += "\n震災後 X " + Number(p.x2) + "  Y " + Number(p.y2) + "  H " + Number(p.h2);
    s += "\n移動量 dX " + Number(p.x2 - p.x) + "  dY " + Number(p.y2 - p.y);
  }
  return s;
}

std::string NodeDescription(const GridModel& g, int32_t row, int32_t col) {
  std::string s = "格子点 X " + Number(g.NodeX(row)) + "  Y " + Number(g.NodeY(col));
  const int32_t k = g.NodeRecord(row, col);
  if (k == 0) return s + "\nﾌｧｲﾙにない格子点";
  const params::ParaRecord& r = g.Record(k);
  s += "\n" + std::to_string(k) + "番目のﾚｺｰﾄﾞ: X " + Number(r.x) + "  Y " + Number(r.y);
  s += "\ndX " + Correction(r.dx) + "  dY " + Correction(r.dy) + "  dH " + Correction(r.dh);
  if (r.dx == 0 && r.dy == 0) s += "\nﾊﾟﾗﾒｰﾀなし (dX = dY = 0)";
  return s;
}

}  // namespace varno::map
