// The grid index against the literal scan, over many random regular and
// irregular grids: every lookup and every interpolation must agree bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <random>

#include "params/interpolate.h"
#include "text/errors.h"

namespace varno::params {
namespace {

struct Irregularity {
  double missing = 0;     // share of nodes left out
  double duplicates = 0;  // share of nodes written twice (second copy elsewhere)
  double jitter = 0;      // share of nodes whose coordinates are off the lattice
  double zeros = 0;       // share of nodes without parameters
  int extras = 0;         // records at random places
  bool shuffled = false;
  bool rounded = false;  // coordinates rounded to millimetres, as a file holds them
};

class RandomGrid {
 public:
  explicit RandomGrid(uint64_t seed) : rng_(seed) {}

  ParamStore Make(const Irregularity& irr) {
    static constexpr double kSteps[] = {1000, 250, 37.5, 0.5, 0.1, 0.03, 0.015, 0.004};
    step_ = kSteps[Pick(std::size(kSteps))];
    nx_ = 2 + static_cast<int>(Pick(20));
    ny_ = 2 + static_cast<int>(Pick(20));
    auto origin = [&](int n) {
      switch (Pick(4)) {
        case 0:
          return 0.0;
        case 1:
          return -static_cast<double>(Pick(static_cast<uint64_t>(n))) * step_;  // holds 0
        case 2:
          return Uniform(-1e5, 1e5);
        default:
          return std::round(Uniform(1e4, 2e5) / step_) * step_;
      }
    };
    minX_ = origin(nx_);
    minY_ = origin(ny_);
    ParamStore s;
    s.gridMinX = minX_;
    s.gridMaxX = minX_ + (nx_ - 1 + static_cast<int>(Pick(2))) * step_;
    s.gridStepX = step_;
    s.gridMinY = minY_;
    s.gridMaxY = minY_ + (ny_ - 1 + static_cast<int>(Pick(2))) * step_;
    s.gridStepY = step_;
    std::vector<ParaRecord> recs;
    for (int i = 0; i < nx_; ++i) {
      for (int j = 0; j < ny_; ++j) {
        if (Chance(irr.missing)) continue;
        ParaRecord r{i * step_ + minX_, j * step_ + minY_, Uniform(-3, 3), Uniform(-3, 3),
                     Uniform(-1, 0)};
        if (Chance(irr.zeros)) r.dx = r.dy = 0;
        if (Chance(irr.jitter)) {
          double d = Uniform(-0.02, 0.02);
          if (Pick(3) != 1) r.x += d;
          if (Pick(3) != 0) r.y += Uniform(-0.02, 0.02);
        }
        if (irr.rounded) {
          r.x = std::round(r.x * 1000) / 1000;
          r.y = std::round(r.y * 1000) / 1000;
        }
        recs.push_back(r);
        if (Chance(irr.duplicates)) {
          ParaRecord d = r;
          d.dx = Uniform(-3, 3);
          recs.insert(recs.begin() + static_cast<long>(Pick(recs.size())), d);
        }
      }
    }
    for (int e = 0; e < irr.extras; ++e) {
      recs.push_back({Uniform(minX_ - step_, s.gridMaxX + step_),
                      Uniform(minY_ - step_, s.gridMaxY + step_), Uniform(-3, 3), Uniform(-3, 3),
                      0});
    }
    if (irr.shuffled) std::shuffle(recs.begin(), recs.end(), rng_);
    s.records.insert(s.records.end(), recs.begin(), recs.end());
    s.count = static_cast<int32_t>(recs.size());
    s.index = GridIndex::Build(s);
    return s;
  }

  // Nodes as InterpolatePara computes them, near nodes, and anywhere.
  std::pair<double, double> NodeQuery() {
    int i = static_cast<int>(Pick(static_cast<uint64_t>(nx_) + 2)) - 1;
    int j = static_cast<int>(Pick(static_cast<uint64_t>(ny_) + 2)) - 1;
    double x = i * step_ + minX_, y = j * step_ + minY_;
    static constexpr double kNudges[] = {0,      0,    0,     1e-9,      -1e-9,      0.004,
                                         -0.004, 0.01, -0.01, 0.0100001, -0.0100001, 0.02};
    x += kNudges[Pick(std::size(kNudges))] * (Pick(2) ? 1 : step_);
    y += kNudges[Pick(std::size(kNudges))];
    switch (Pick(12)) {
      case 0:
        return {0.0, y};
      case 1:
        return {x, 0.0};
      case 2:
        return {Uniform(-0.01, 0.01), Uniform(-0.01, 0.01)};
      case 3:
        return {Uniform(minX_ - step_, minX_ + (nx_ + 1) * step_),
                Uniform(minY_ - step_, minY_ + (ny_ + 1) * step_)};
      default:
        return {x, y};
    }
  }

  // Points for the interpolation: inside, on cell edges, at the limits.
  std::pair<double, double> PointQuery(const ParamStore& s) {
    double x = Uniform(s.gridMinX, s.gridMaxX), y = Uniform(s.gridMinY, s.gridMaxY);
    switch (Pick(6)) {
      case 0:
        x = minX_ + static_cast<double>(Pick(static_cast<uint64_t>(nx_))) * step_;
        break;
      case 1:
        y = minY_ + static_cast<double>(Pick(static_cast<uint64_t>(ny_))) * step_;
        break;
      case 2:
        x = s.gridMinX, y = s.gridMinY;
        break;
      case 3:
        x = std::nextafter(s.gridMaxX, -1e300);
        break;
      case 4:
        y = s.gridMaxY;
        break;
      default:
        break;
    }
    return {x, y};
  }

 private:
  uint64_t Pick(uint64_t n) { return std::uniform_int_distribution<uint64_t>(0, n - 1)(rng_); }
  bool Chance(double p) { return p > 0 && std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }

  std::mt19937_64 rng_;
  double step_ = 1, minX_ = 0, minY_ = 0;
  int nx_ = 2, ny_ = 2;
};

bool SameBits(const ParaRecord& a, const ParaRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Interpolates, or tells the error kind.
std::optional<Corrections> Interpolate(const ParamStore& s, double x, double y, bool& overflow) {
  try {
    overflow = false;
    return InterpolatePara(s, x, y);
  } catch (const OverflowError&) {
    overflow = true;
    return std::nullopt;
  }
}

TEST(GridIndex, AgreesWithTheScanOnRandomGrids) {
  const Irregularity kinds[] = {
      {},                                     // regular, exact
      {.rounded = true},                      // regular, as written to a file
      {.shuffled = true},                     // unsorted
      {.missing = 0.1, .zeros = 0.1},         // missing nodes and holes
      {.duplicates = 0.1, .shuffled = true},  // nodes written twice
      {.jitter = 0.1, .rounded = true},       // off the lattice
      {.missing = 0.3,
       .duplicates = 0.1,
       .jitter = 0.2,
       .zeros = 0.1,
       .extras = 10,
       .shuffled = true},  // everything at once
  };
  long lookups = 0, decided = 0, points = 0;
  for (uint64_t seed = 1; seed <= 420; ++seed) {
    const Irregularity& irr = kinds[seed % std::size(kinds)];
    RandomGrid gen(seed);
    const ParamStore withIndex = gen.Make(irr);
    ParamStore scanOnly = withIndex;
    scanOnly.index = nullptr;
    ASSERT_NE(withIndex.index, nullptr);
    for (int q = 0; q < 150; ++q) {
      auto [x, y] = gen.NodeQuery();
      ParaRecord a{11, 12, 13, 14, 15}, b = a;
      LookupNode(withIndex, x, y, a);
      LookupNodeScan(scanOnly, x, y, b);
      ASSERT_TRUE(SameBits(a, b)) << "seed " << seed << " node " << x << "," << y << ": index "
                                  << a.x << "," << a.y << " scan " << b.x << "," << b.y;
      ++lookups;
      if (withIndex.index->Find(withIndex, x, y) > 0) ++decided;
      // The index's own scan, asked for every node, not only the undecided.
      ParaRecord c{21, 22, 23, 24, 25}, d = c;
      ASSERT_TRUE(withIndex.index->Scan(withIndex, x, y, c));
      LookupNodeScan(scanOnly, x, y, d);
      ASSERT_TRUE(SameBits(c, d)) << "seed " << seed << " node " << x << "," << y;
    }
    for (int q = 0; q < 100; ++q) {
      auto [x, y] = gen.PointQuery(withIndex);
      bool ovA = false, ovB = false;
      auto a = Interpolate(withIndex, x, y, ovA);
      auto b = Interpolate(scanOnly, x, y, ovB);
      ASSERT_EQ(a.has_value(), b.has_value()) << "seed " << seed;
      ASSERT_EQ(ovA, ovB);
      if (a) {
        ASSERT_EQ(std::memcmp(&*a, &*b, sizeof *a), 0)
            << "seed " << seed << " point " << x << "," << y;
      }
      ++points;
    }
  }
  // The index must do real work, not leave everything to the scan.
  EXPECT_GT(decided, lookups / 6) << decided << " of " << lookups;
  EXPECT_EQ(points, 42000);
}

TEST(GridIndex, ScanOverLargeIrregularFilesAgrees) {
  // Files of thousands of records, so that runs of 64, 4096 and 262144 records
  // are all passed over; rows in file order with gaps, and a shuffled file.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int variant = 0; variant < 4; ++variant) {
    SCOPED_TRACE(variant);
    ParamStore s;
    const int side = variant < 2 ? 120 : 530;
    const double step = variant % 2 ? 0.5 : 1000;
    for (int i = 0; i < side; ++i) {
      for (int j = 0; j < side; ++j) {
        if (unit(rng) < 0.05 || (i > side / 3 && i < side / 2 && j > side / 4)) continue;
        double x = 150000 + i * step, y = -side / 2 * step + j * step;
        if (unit(rng) < 0.02) x += unit(rng) * 0.03 - 0.015;
        s.records.push_back({x, y, unit(rng), unit(rng), 0});
      }
    }
    if (variant == 3) std::shuffle(s.records.begin() + 1, s.records.end(), rng);
    s.count = static_cast<int32_t>(s.records.size() - 1);
    s.index = GridIndex::Build(s);
    ASSERT_NE(s.index, nullptr);
    std::uniform_int_distribution<int> cell(-1, side);
    for (int q = 0; q < 300; ++q) {
      double x = 150000 + cell(rng) * step, y = -side / 2 * step + cell(rng) * step;
      if (q % 3 == 1) x += (unit(rng) - 0.5) * step;
      if (q % 5 == 2) y = 0;
      ParaRecord a{1, 2, 3, 4, 5}, b = a;
      ASSERT_TRUE(s.index->Scan(s, x, y, a));
      LookupNodeScan(s, x, y, b);
      ASSERT_TRUE(SameBits(a, b)) << x << "," << y;
    }
  }
}

TEST(GridIndex, DecidesEveryNodeOfARegularGrid) {
  // A well-formed grid never needs the scan, whatever its size or place,
  // except for a node of the zone origin's own row or column.
  for (double step : {1000.0, 0.1, 0.03}) {
    SCOPED_TRACE(step);
    ParamStore s;
    const double minX = 150000, minY = -3 * step;
    for (int i = 0; i < 30; ++i) {
      for (int j = 0; j < 30; ++j) s.records.push_back({i * step + minX, j * step + minY, 1, 1, 1});
    }
    s.count = 900;
    s.index = GridIndex::Build(s);
    for (int i = 0; i < 30; ++i) {
      for (int j = 0; j < 30; ++j) {
        double x = i * step + minX, y = j * step + minY;
        int32_t k = s.index->Find(s, x, y);
        EXPECT_EQ(k, i * 30 + j + 1) << i << "," << j;
      }
    }
  }
}

// Grids one step away from a complete grid written row by row, with X and Y
// rising: each must be indexed the general way and still agree with the scan
// at every node and between them.
TEST(GridIndex, NearlyRowOrderGridsAgreeWithTheScan) {
  auto complete = [] {
    ParamStore s;
    for (int i = 0; i < 12; ++i)
      for (int j = 0; j < 9; ++j)
        s.records.push_back({i * 100.0 + 1000, j * 100.0 - 400, i + 0.5, j + 0.25, 1});
    return s;
  };
  const std::vector<std::pair<const char*, std::function<void(ParamStore&)>>> changes = {
      {"as it is", [](ParamStore&) {}},
      {"one node off the lattice", [](ParamStore& s) { s.records[40].y += 1e-7; }},
      {"last node missing", [](ParamStore& s) { s.records.pop_back(); }},
      {"a row written twice",
       [](ParamStore& s) {
         for (int j = 1; j <= 9; ++j) s.records.push_back(s.records[static_cast<std::size_t>(j)]);
       }},
      {"rows falling", [](ParamStore& s) { std::reverse(s.records.begin() + 1, s.records.end()); }},
      {"two nodes swapped", [](ParamStore& s) { std::swap(s.records[20], s.records[21]); }},
      {"a node at -0", [](ParamStore& s) { s.records[5].y = -0.0; }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    ParamStore s = complete();
    change(s);
    s.count = static_cast<int32_t>(s.records.size() - 1);
    ParamStore scanOnly = s;
    s.index = GridIndex::Build(s);
    ASSERT_NE(s.index, nullptr);
    for (double x = 950; x <= 2250; x += 50) {
      for (double y = -450; y <= 450; y += 50) {
        ParaRecord a{7, 7, 7, 7, 7}, b = a;
        LookupNode(s, x, y, a);
        LookupNodeScan(scanOnly, x, y, b);
        ASSERT_TRUE(SameBits(a, b)) << x << "," << y;
      }
    }
  }
}

TEST(GridIndex, UnorderableCoordinatesAreLeftToTheScan) {
  ParamStore s;
  s.records.push_back({100, 100, 1, 1, 1});
  s.records.push_back({std::nan(""), 100, 2, 2, 2});
  s.records.push_back({110, std::numeric_limits<double>::infinity(), 3, 3, 3});
  s.count = 3;
  EXPECT_EQ(GridIndex::Build(s), nullptr);
  NodeValues v;
  LookupNode(s, 100, 100, v);
  EXPECT_EQ(v.dx, 1);
}

TEST(GridIndex, StaleIndexFallsBackToTheScan) {
  ParamStore s;
  for (int i = 0; i < 10; ++i) s.records.push_back({i * 10.0 + 100, 100, 1, 1, 1});
  s.count = 10;
  s.index = GridIndex::Build(s);
  s.records[3].x = 5000;  // changed after the index was built
  NodeValues v;
  LookupNode(s, 120, 100, v);
  // The scan's answer: the record at 120 is gone, and of the two records 10 m
  // away the later one wins the tie.
  EXPECT_EQ(v.x, 130);
  s.records.push_back({1, 1, 1, 1, 1});
  s.count = 11;
  EXPECT_EQ(s.index->Find(s, 100, 100), 0);
}

}  // namespace
}  // namespace varno::params
