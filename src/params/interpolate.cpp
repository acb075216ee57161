#include "params/interpolate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "text/errors.h"

namespace varno::params {

namespace {

constexpr double kNodeTolerance = 0.01;  // metres, the scan's stop distance

// The distinct coordinate values of the records along one axis, sorted, with
// a search for the single value within the stop distance of a node.
class Axis {
 public:
  void Build(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    v_ = std::move(values);
    if (v_.size() > 1) {
      double span = v_.back() - v_.front();
      inv_ = std::isfinite(span) && span > 0 ? static_cast<double>(v_.size() - 1) / span : 0;
    }
    separated_ = true;
    for (std::size_t i = 1; i < v_.size() && separated_; ++i) separated_ = !Near(i - 1, v_[i]);
  }

  // Every value is farther than the stop distance from the next: then each
  // value is near itself alone, and UniqueNear(v_[i]) is i.
  bool separated() const { return separated_; }

  std::size_t size() const { return v_.size(); }
  double operator[](std::size_t i) const { return v_[i]; }

  // Position of the value v_[i] in v_ (v must be one of the values); on a
  // regular axis it stands at its proportional position.
  int32_t PositionOf(double v) const {
    const std::size_t guess = Guess(v);
    if (v_[guess] == v) return static_cast<int32_t>(guess);
    return static_cast<int32_t>(std::lower_bound(v_.begin(), v_.end(), v) - v_.begin());
  }

  // The likely index of q by its proportional position (any index in range).
  std::size_t Guess(double q) const {
    const double guess = (q - v_.front()) * inv_;
    if (!(guess > 0)) return 0;
    if (!(guess < static_cast<double>(v_.size() - 1))) return v_.size() - 1;
    return static_cast<std::size_t>(guess + 0.5);
  }

  // The index of the one value whose distance to q, computed as the scan
  // computes it, is within the stop distance; -1 when there is none or more
  // than one.
  int32_t UniqueNear(double q) const {
    const std::size_t n = v_.size();
    if (n == 0) return -1;
    // Regular spacing puts the value at its proportional position; otherwise
    // a binary search finds the first value not below the strip.
    std::size_t i = Guess(q);
    if (!Near(i, q)) {
      i = static_cast<std::size_t>(
          std::partition_point(v_.begin(), v_.end(),
                               [q](double v) { return v < q && q - v > kNodeTolerance; }) -
          v_.begin());
      if (i >= n || !Near(i, q)) return -1;
    }
    // The values within the distance form one run of the sorted list.
    if (i > 0 && Near(i - 1, q)) return -1;
    if (i + 1 < n && Near(i + 1, q)) return -1;
    return static_cast<int32_t>(i);
  }

 private:
  bool Near(std::size_t i, double q) const { return std::fabs(v_[i] - q) <= kNodeTolerance; }

  std::vector<double> v_;
  double inv_ = 0;
  bool separated_ = true;
};

// The distinct values of one coordinate in the order first met. The set is
// open addressing on the value's bits (0 and -0 are one value, as for ==),
// so that a value seen before costs one or two probes.
class DistinctValues {
 public:
  DistinctValues() : slots_(64, 0) {}

  void Add(double v) {
    std::size_t i = Slot(v);
    for (; slots_[i] != 0; i = (i + 1) & (slots_.size() - 1)) {
      if (values_[slots_[i] - 1] == v) return;
    }
    values_.push_back(v);
    slots_[i] = values_.size();
    if (2 * values_.size() > slots_.size()) Grow();
  }

  std::vector<double> Take() { return std::move(values_); }

 private:
  std::size_t Slot(double v) const {
    // The top bits of the product: they depend on every bit of the value.
    const uint64_t bits = std::bit_cast<uint64_t>(v == 0 ? 0.0 : v);
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift_);
  }
  void Grow() {
    slots_.assign(2 * slots_.size(), 0);
    --shift_;
    for (std::size_t k = 0; k < values_.size(); ++k) {
      std::size_t i = Slot(values_[k]);
      while (slots_[i] != 0) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = k + 1;
    }
  }

  std::vector<double> values_;
  std::vector<std::size_t> slots_;  // 1 + the value's place in values_, 0 when free
  int shift_ = 64 - 6;              // 64 - log2(slots_.size())
};

// Bounding boxes of the records in file order, in runs of 64, 64^2, 64^3, ...
// records, so that the scan can pass over a run none of whose records it
// could accept. The test of a box is exact, not approximate: the scan's
// distance |record X - node X| is computed by a subtraction that never
// decreases as the record's X grows, so over a run whose X lie in [lo, hi] it
// is smallest at the value of [lo, hi] nearest the node (the same for Y).
class RunBoxes {
 public:
  static constexpr int64_t kRunBits = 6;  // 64 records, then 64 runs, ...
  static constexpr int64_t kRunMask = (int64_t{1} << kRunBits) - 1;

  explicit RunBoxes(const ParamStore& store) : count_(store.count) {
    std::vector<Box> level;
    const int32_t runs = ((count_ - 1) >> kRunBits) + 1;
    level.resize(static_cast<std::size_t>(runs));
    for (int32_t k = 1; k <= count_; ++k) {
      const ParaRecord& r = store.records[static_cast<std::size_t>(k)];
      level[static_cast<std::size_t>((k - 1) >> kRunBits)].Add(r.x, r.y);
    }
    levels_.push_back(std::move(level));
    while (levels_.back().size() > 1) {
      const std::vector<Box>& below = levels_.back();
      std::vector<Box> up(((below.size() - 1) >> kRunBits) + 1);
      for (std::size_t b = 0; b < below.size(); ++b) up[b >> kRunBits].Add(below[b]);
      levels_.push_back(std::move(up));
    }
  }

  // The scan of LookupNodeScan, passing over runs it could not accept from.
  void Scan(const ParamStore& store, double nodeX, double nodeY, NodeValues& io) const {
    double bestX = std::fabs(nodeX);
    double bestY = std::fabs(nodeY);
    const ParaRecord* rec = store.records.data();
    const int64_t count = count_;
    int64_t k = 1;
    while (k <= count) {
      // The runs holding record k, largest first: one that the scan could not
      // accept from is passed over to its end.
      bool passed = false;
      for (std::size_t l = levels_.size(); l-- > 0;) {
        const int64_t bits = kRunBits * static_cast<int64_t>(l + 1);
        const int64_t run = bits < 62 ? (k - 1) >> bits : 0;
        if (!levels_[l][static_cast<std::size_t>(run)].MayAccept(nodeX, nodeY, bestX, bestY)) {
          k = bits < 62 ? ((run + 1) << bits) + 1 : count + 1;
          passed = true;
          break;
        }
      }
      if (passed) continue;
      // Otherwise the records of k's run of 64, one by one.
      const int64_t end = std::min(count, ((k - 1) | kRunMask) + 1);
      for (; k <= end; ++k) {
        const ParaRecord& r = rec[k];
        const double ex = std::fabs(r.x - nodeX);
        const double ey = std::fabs(r.y - nodeY);
        if (ex <= bestX && ey <= bestY) {
          bestX = ex;
          bestY = ey;
          io = r;
          if (bestX <= kNodeTolerance && bestY <= kNodeTolerance) return;
        }
      }
    }
  }

 private:
  struct Box {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool empty = true;
    void Add(double x, double y) {
      if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
      } else {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
    void Add(const Box& b) {
      if (b.empty) return;
      Add(b.minX, b.minY);
      Add(b.maxX, b.maxY);
    }
    bool MayAccept(double nx, double ny, double bestX, double bestY) const {
      return !empty && std::fabs(std::clamp(nx, minX, maxX) - nx) <= bestX &&
             std::fabs(std::clamp(ny, minY, maxY) - ny) <= bestY;
    }
  };

  int32_t count_;
  std::vector<std::vector<Box>> levels_;  // levels_[l][b]: run b of 64^(l+1) records
};

// The index: the first record (in file order) of every distinct (X, Y) pair.
//
// Why it agrees with the scan: for a node (nx, ny), let the records within the
// stop distance in X all share one X value, and those within it in Y one Y
// value (Axis::UniqueNear). Then every record has |X - nx| >= ex* and
// |Y - ny| >= ey*, where (ex*, ey*) are the distances of k*, the first record
// at that (X, Y) pair, which is also the first record within the stop
// distance in both. If moreover ex* <= |nx| and ey* <= |ny| (the scan's
// starting distances), the best distances never drop below (ex*, ey*) before
// k*, so the scan accepts k* and stops there, and no earlier record could have
// stopped it. In every other case Find answers 0 and the scan decides.
class PairIndex final : public GridIndex {
 public:
  explicit PairIndex(const ParamStore& store) : count_(store.count), runs_(store) {
    if (BuildRowOrder(store)) return;
    const auto& rec = store.records;
    {
      DistinctValues xs, ys;
      double lastX = 0, lastY = 0;
      for (int32_t k = 1; k <= count_; ++k) {
        const ParaRecord& r = rec[static_cast<std::size_t>(k)];
        if (k == 1 || r.x != lastX) xs.Add(lastX = r.x);
        if (k == 1 || r.y != lastY) ys.Add(lastY = r.y);
      }
      x_.Build(xs.Take());
      y_.Build(ys.Take());
    }
    const std::size_t cells = x_.size() * y_.size();
    dense_ = y_.size() != 0 && cells / y_.size() == x_.size() &&
             cells <= 4 * static_cast<std::size_t>(count_) + 4096;
    if (dense_) table_.assign(cells, 0);
    int32_t ix = 0, iy = 0;
    double lastX = 0, lastY = 0;
    for (int32_t k = 1; k <= count_; ++k) {
      const ParaRecord& r = rec[static_cast<std::size_t>(k)];
      if (k == 1 || r.x != lastX) ix = x_.PositionOf(lastX = r.x);
      if (k == 1 || r.y != lastY) iy = y_.PositionOf(lastY = r.y);
      if (dense_) {
        int32_t& slot = table_[Cell(ix, iy)];
        if (slot == 0) slot = k;
      } else {
        sparse_.emplace(Cell(ix, iy), k);  // keeps the first record of a pair
      }
    }
  }

  // The usual file, a complete grid written row by row with X and Y rising,
  // is recognised in one pass: record 1 + i * ny + j at (X_i, Y_j), where the
  // first row gives the ny values of Y and the first record of each row the
  // values of X. It builds what the general build in the constructor would.
  bool BuildRowOrder(const ParamStore& store) {
    const ParaRecord* rec = store.records.data();
    const std::size_t count = static_cast<std::size_t>(count_);
    std::size_t ny = 1;
    while (ny < count && rec[ny + 1].x == rec[1].x) ++ny;
    if (count % ny != 0) return false;
    const std::size_t nx = count / ny;
    std::vector<double> xs(nx), ys(ny);
    for (std::size_t j = 0; j < ny; ++j) ys[j] = rec[1 + j].y;
    for (std::size_t i = 0; i < nx; ++i) xs[i] = rec[1 + i * ny].x;
    for (std::size_t j = 1; j < ny; ++j)
      if (!(ys[j - 1] < ys[j])) return false;
    for (std::size_t i = 1; i < nx; ++i)
      if (!(xs[i - 1] < xs[i])) return false;
    for (std::size_t i = 0; i < nx; ++i) {
      const ParaRecord* row = rec + 1 + i * ny;
      for (std::size_t j = 0; j < ny; ++j) {
        if (!(row[j].x == xs[i] && row[j].y == ys[j])) return false;
      }
    }
    x_.Build(std::move(xs));
    y_.Build(std::move(ys));
    dense_ = true;
    rowOrder_ = true;
    return true;
  }

  int32_t Find(const ParamStore& store, double nodeX, double nodeY) const override {
    if (store.count != count_) return 0;
    int32_t ix = x_.UniqueNear(nodeX);
    if (ix < 0) return 0;
    int32_t iy = y_.UniqueNear(nodeY);
    if (iy < 0) return 0;
    return FindAt(store, ix, iy, nodeX, nodeY);
  }

  // The corners after the first are asked at the first's X and Y (and those
  // plus a step). These are values of the axes: where each is near itself
  // alone, their search is known, and a cell needs four searches, not eight.
  bool FindCell(const ParamStore& store, double nodeX, double nodeY, double stepX, double stepY,
                int32_t (&k)[4]) const override {
    if (store.count != count_ || !x_.separated() || !y_.separated()) return false;
    const int32_t ix = x_.UniqueNear(nodeX), iy = y_.UniqueNear(nodeY);
    if (ix < 0 || iy < 0) return false;
    k[0] = FindAt(store, ix, iy, nodeX, nodeY);
    if (k[0] == 0) return false;
    const ParaRecord& c1 = store.records[static_cast<std::size_t>(k[0])];  // at (X_ix, Y_iy)
    const double c2x = c1.x + stepX, c3y = c1.y + stepY;
    if (!std::isfinite(c2x) || !std::isfinite(c3y)) return false;
    const int32_t ix2 = x_.UniqueNear(c2x), iy3 = y_.UniqueNear(c3y);
    if (ix2 < 0 || iy3 < 0) return false;
    k[1] = FindAt(store, ix2, iy, c2x, c1.y);
    k[2] = FindAt(store, ix, iy3, c1.x, c3y);
    k[3] = FindAt(store, ix2, iy3, c2x, c3y);
    return k[1] != 0 && k[2] != 0 && k[3] != 0;
  }

  // Find's answer for a node whose searches gave (ix, iy).
  int32_t FindAt(const ParamStore& store, int32_t ix, int32_t iy, double nodeX,
                 double nodeY) const {
    int32_t k = 0;
    if (dense_) {
      k = RecordAt(Cell(ix, iy));
    } else {
      auto it = sparse_.find(Cell(ix, iy));
      if (it != sparse_.end()) k = it->second;
    }
    if (k == 0) return 0;
    const ParaRecord& r = store.records[static_cast<std::size_t>(k)];
    if (r.x != x_[static_cast<std::size_t>(ix)] || r.y != y_[static_cast<std::size_t>(iy)]) {
      return 0;  // the records changed since the index was built
    }
    if (!(std::fabs(r.x - nodeX) <= std::fabs(nodeX) &&
          std::fabs(r.y - nodeY) <= std::fabs(nodeY))) {
      return 0;  // not accepted against the starting distances: let the scan decide
    }
    return k;
  }

  void Prefetch(const ParamStore& store, double nodeX, double nodeY, double stepX,
                double stepY) const override {
    if (!dense_ || store.count != count_ || x_.size() == 0 || y_.size() == 0) return;
    const std::size_t ix[2] = {x_.Guess(nodeX), x_.Guess(nodeX + stepX)};
    const std::size_t iy[2] = {y_.Guess(nodeY), y_.Guess(nodeY + stepY)};
    int32_t k[4];
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b) k[2 * a + b] = RecordAt(ix[a] * y_.size() + iy[b]);
    for (int32_t r : k) {
      if (r > 0 && static_cast<std::size_t>(r) < store.records.size()) {
        // A record may straddle two cache lines: ask for both.
        const auto* bytes =
            reinterpret_cast<const char*>(&store.records[static_cast<std::size_t>(r)]);
        __builtin_prefetch(bytes);
        __builtin_prefetch(bytes + sizeof(ParaRecord) - 1);
      }
    }
  }

  bool Scan(const ParamStore& store, double nodeX, double nodeY, NodeValues& io) const override {
    if (store.count != count_) return false;
    runs_.Scan(store, nodeX, nodeY, io);
    return true;
  }

 private:
  std::size_t Cell(int32_t ix, int32_t iy) const {
    return static_cast<std::size_t>(ix) * y_.size() + static_cast<std::size_t>(iy);
  }
  // The first record at a cell of the dense table (0 when none).
  int32_t RecordAt(std::size_t cell) const {
    return rowOrder_ ? static_cast<int32_t>(cell + 1) : table_[cell];
  }

  int32_t count_;
  RunBoxes runs_;
  Axis x_, y_;
  bool dense_ = false;
  bool rowOrder_ = false;  // record 1 + cell at every cell; table_ then empty
  std::vector<int32_t> table_;
  std::unordered_map<std::size_t, int32_t> sparse_;
};

}  // namespace

std::shared_ptr<const GridIndex> GridIndex::Build(const ParamStore& store) {
  if (store.count <= 0 || store.records.size() <= static_cast<std::size_t>(store.count)) {
    return nullptr;
  }
  // Coordinates that cannot be ordered (never read from a file, but a store
  // can be filled otherwise) are left to the scan.
  for (int32_t k = 1; k <= store.count; ++k) {
    const ParaRecord& r = store.records[static_cast<std::size_t>(k)];
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) return nullptr;
  }
  return std::make_shared<PairIndex>(store);
}

void LookupNodeScan(const ParamStore& store, double nodeX, double nodeY, NodeValues& io) {
  double bestX = std::fabs(nodeX);
  double bestY = std::fabs(nodeY);
  if (store.count == 0) return;
  const std::size_t n = std::min(static_cast<std::size_t>(store.count) + 1, store.records.size());
  bool accepted = false;
  for (std::size_t k = 1; k < n; ++k) {
    const ParaRecord& r = store.records[k];
    double ex = std::fabs(r.x - nodeX);
    double ey = std::fabs(r.y - nodeY);
    if (ex <= bestX && ey <= bestY) {
      bestX = ex;
      bestY = ey;
      io = r;
      accepted = true;
    }
    // Only a record actually accepted can end the scan (a node within 1 cm of
    // the zone origin would otherwise stop at the first record unread).
    if (accepted && bestX <= kNodeTolerance && bestY <= kNodeTolerance) return;
  }
}

void LookupNode(const ParamStore& store, double nodeX, double nodeY, NodeValues& io) {
  if (store.index) {
    int32_t k = store.index->Find(store, nodeX, nodeY);
    if (k > 0) {
      io = store.records[static_cast<std::size_t>(k)];
      return;
    }
    if (store.index->Scan(store, nodeX, nodeY, io)) return;
  }
  LookupNodeScan(store, nodeX, nodeY, io);
}

double BilinearValue(const ParamStore& store, double q1, double q2, double q3, double q4, double fx,
                     double fy) {
  double u = Checked(fx / store.gridStepX, "BilinearValue");
  double w = Checked(fy / store.gridStepY, "BilinearValue");
  double value = (1 - u) * (1 - w) * q1 + u * (1 - w) * q2 + (1 - u) * w * q3 + u * w * q4;
  return Checked(value, "BilinearValue");
}

Corrections InterpolatePara(const ParamStore& store, double x, double y) {
  const Corrections none{kNoParameters, kNoParameters, kNoParameters};
  if (!(store.gridMinX <= x && x < store.gridMaxX && store.gridMinY <= y && y < store.gridMaxY)) {
    return none;
  }
  const double stepX = store.gridStepX, stepY = store.gridStepY;
  int16_t i = FloorToInt16(Checked((x - store.gridMinX) / stepX, "InterpolatePara"));
  int16_t j = FloorToInt16(Checked((y - store.gridMinY) / stepY, "InterpolatePara"));
  double nodeX = Checked(i * stepX + store.gridMinX, "InterpolatePara");
  double nodeY = Checked(j * stepY + store.gridMinY, "InterpolatePara");
  double fx = Checked(x - nodeX, "InterpolatePara");
  double fy = Checked(y - nodeY, "InterpolatePara");

  ParaRecord c1, c2, c3, c4;
  bool noParameters = false;
  int32_t k[4];
  if (store.index) store.index->Prefetch(store, nodeX, nodeY, stepX, stepY);
  if (store.index && store.index->FindCell(store, nodeX, nodeY, stepX, stepY, k)) {
    // Every corner found: each lookup writes its whole record.
    ParaRecord* corners[4] = {&c1, &c2, &c3, &c4};
    for (int i = 0; i < 4; ++i) {
      *corners[i] = store.records[static_cast<std::size_t>(k[i])];
      if (corners[i]->dx == 0 && corners[i]->dy == 0) noParameters = true;
    }
  } else {
    NodeValues w;  // the working values, shared by the four lookups
    auto corner = [&](double nx, double ny) {
      LookupNode(store, nx, ny, w);
      if (w.dx == 0 && w.dy == 0) noParameters = true;
      return w;
    };
    c1 = corner(nodeX, nodeY);
    const double c2x = Checked(c1.x + stepX, "InterpolatePara");
    const double c3y = Checked(c1.y + stepY, "InterpolatePara");
    c2 = corner(c2x, c1.y);
    c3 = corner(c1.x, c3y);
    c4 = corner(c2x, c3y);
  }
  if (noParameters) return none;

  Corrections out;
  out.dx = BilinearValue(store, c1.dx, c2.dx, c3.dx, c4.dx, fx, fy);
  out.dy = BilinearValue(store, c1.dy, c2.dy, c3.dy, c4.dy, fx, fy);
  out.dh = BilinearValue(store, c1.dh, c2.dh, c3.dh, c4.dh, fx, fy);
  return out;
}

}  // namespace varno::params
