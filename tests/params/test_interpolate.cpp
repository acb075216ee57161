// Bilinear interpolation and the node lookup: limits, corners, cell edges,
// missing parameters, arithmetic faults and the zone origin.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "params/interpolate.h"
#include "text/errors.h"

namespace varno::params {
namespace {

// A regular grid of nx x ny nodes, rows along X, with limits at its outer
// nodes and corrections from `f`.
ParamStore Grid(double minX, double minY, double step, int nx, int ny,
                const std::function<ParaRecord(double, double)>& f, bool index = true) {
  ParamStore s;
  s.gridMinX = minX;
  s.gridMaxX = minX + (nx - 1) * step;
  s.gridStepX = step;
  s.gridMinY = minY;
  s.gridMaxY = minY + (ny - 1) * step;
  s.gridStepY = step;
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      double x = minX + i * step, y = minY + j * step;
      ParaRecord r = f(x, y);
      r.x = x;
      r.y = y;
      s.records.push_back(r);
    }
  }
  s.count = static_cast<int32_t>(s.records.size() - 1);
  if (index) s.index = GridIndex::Build(s);
  return s;
}

// Corrections that differ at every node.
ParaRecord Linearish(double x, double y) {
  return {0, 0, 0.1 + x * 1e-4 + y * 3e-5, 1.0 - y * 2e-4, -0.05 - x * y * 1e-9};
}

ParaRecord At(const ParamStore& s, double x, double y) {
  NodeValues v;
  LookupNodeScan(s, x, y, v);
  return v;
}

TEST(InterpolatePara, GridLimits) {
  for (bool index : {true, false}) {
    SCOPED_TRACE(index ? "index" : "scan");
    ParamStore s = Grid(1000, 2000, 100, 5, 4, Linearish, index);
    // Lower limits inclusive, upper exclusive.
    EXPECT_NE(InterpolatePara(s, 1000, 2000).dx, kNoParameters);
    EXPECT_NE(InterpolatePara(s, 1399.999, 2299.999).dx, kNoParameters);
    for (auto [x, y] : {std::pair{1400.0, 2100.0},
                        {1100.0, 2300.0},
                        {999.999, 2100.0},
                        {1100.0, 1999.999},
                        {1e30, 2100.0}}) {
      Corrections c = InterpolatePara(s, x, y);
      EXPECT_EQ(c.dx, kNoParameters) << x << "," << y;
      EXPECT_EQ(c.dy, kNoParameters);
      EXPECT_EQ(c.dh, kNoParameters);
    }
  }
}

TEST(InterpolatePara, NodesCentresAndEdges) {
  ParamStore s = Grid(0, 0, 1000, 4, 4, Linearish);
  const ParaRecord c1 = At(s, 1000, 2000), c2 = At(s, 2000, 2000), c3 = At(s, 1000, 3000),
                   c4 = At(s, 2000, 3000);
  // On a node: that node's own corrections (u = w = 0).
  Corrections n = InterpolatePara(s, 1000, 2000);
  EXPECT_EQ(n.dx, c1.dx);
  EXPECT_EQ(n.dy, c1.dy);
  EXPECT_EQ(n.dh, c1.dh);
  // Centre: the mean of the four corners.
  Corrections m = InterpolatePara(s, 1500, 2500);
  EXPECT_DOUBLE_EQ(m.dx, (c1.dx + c2.dx + c3.dx + c4.dx) / 4);
  EXPECT_DOUBLE_EQ(m.dh, (c1.dh + c2.dh + c3.dh + c4.dh) / 4);
  // Lower edge (w = 0), u = 0.25: the corner one step along X weighs 0.25.
  Corrections e = InterpolatePara(s, 1250, 2000);
  EXPECT_DOUBLE_EQ(e.dx, 0.75 * c1.dx + 0.25 * c2.dx);
  EXPECT_DOUBLE_EQ(e.dy, 0.75 * c1.dy + 0.25 * c2.dy);
  // Left edge (u = 0), w = 0.25: the corner one step along Y weighs 0.25.
  Corrections l = InterpolatePara(s, 1000, 2250);
  EXPECT_DOUBLE_EQ(l.dx, 0.75 * c1.dx + 0.25 * c3.dx);
  // u = 0.25, w = 0.5, exactly as written.
  Corrections g = InterpolatePara(s, 1250, 2500);
  EXPECT_EQ(g.dy, (1 - 0.25) * (1 - 0.5) * c1.dy + 0.25 * (1 - 0.5) * c2.dy +
                      (1 - 0.25) * 0.5 * c3.dy + 0.25 * 0.5 * c4.dy);
}

TEST(InterpolatePara, CornersWithoutParameters) {
  struct Case {
    const char* name;
    double dx, dy, dh;
    bool none;
  };
  const Case cases[] = {{"dX = dY = 0, dH set", 0, 0, 0.7, true},
                        {"all zero", 0, 0, 0, true},
                        {"dX = 0 only", 0, 0.3, 0, false},
                        {"dY = 0 only", 0.3, 0, 0, false},
                        {"negative zero", -0.0, 0.0, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The one special node is the C4 corner of the cell at (1000..2000, 1000..2000).
    ParamStore s = Grid(0, 0, 1000, 4, 4, [&](double x, double y) {
      if (x == 2000 && y == 2000) return ParaRecord{0, 0, c.dx, c.dy, c.dh};
      return Linearish(x, y);
    });
    Corrections r = InterpolatePara(s, 1500, 1500);
    EXPECT_EQ(r.dx == kNoParameters, c.none);
    EXPECT_EQ(r.dy == kNoParameters, c.none);
    EXPECT_EQ(r.dh == kNoParameters, c.none);
    // A neighbouring cell that does not touch the node is not affected.
    EXPECT_NE(InterpolatePara(s, 500, 500).dx, kNoParameters);
  }
}

TEST(InterpolatePara, EmptyStoreHasNoParametersAnywhere) {
  ParamStore s;
  s.gridMinX = 0, s.gridMaxX = 1000, s.gridStepX = 100;
  s.gridMinY = 0, s.gridMaxY = 1000, s.gridStepY = 100;
  s.index = GridIndex::Build(s);
  for (double p : {0.0, 50.0, 999.0}) EXPECT_EQ(InterpolatePara(s, p, p).dx, kNoParameters);
  NodeValues v{1, 2, 3, 4, 5};
  LookupNode(s, 0, 0, v);
  EXPECT_EQ(v.dh, 5) << "a lookup in an empty store leaves the working values";
}

TEST(InterpolatePara, GridAroundTheZoneOrigin) {
  // Every cell touching X = 0, Y = 0 has its parameters; the lookup of the
  // node at the origin must not stop before it has accepted a record.
  for (bool index : {true, false}) {
    SCOPED_TRACE(index ? "index" : "scan");
    ParamStore s = Grid(-2000, -2000, 1000, 5, 5, Linearish, index);
    const ParaRecord o = At(s, 0, 0);
    EXPECT_EQ(o.x, 0);
    EXPECT_EQ(o.y, 0);
    EXPECT_EQ(o.dx, Linearish(0, 0).dx);
    for (auto [x, y] : {std::pair{500.0, 500.0},
                        {-500.0, -500.0},
                        {-500.0, 500.0},
                        {500.0, -500.0},
                        {0.0, 0.0},
                        {0.004, -0.003}}) {
      Corrections c = InterpolatePara(s, x, y);
      EXPECT_NE(c.dx, kNoParameters) << x << "," << y;
      EXPECT_NE(c.dy, kNoParameters);
    }
    EXPECT_EQ(InterpolatePara(s, 0, 0).dy, Linearish(0, 0).dy);
  }
}

TEST(InterpolatePara, CornerWithNoRecordKeepsThePreviousCornersValues) {
  // Rows X = -2000, -1000, 1000 (the row X = 0 is missing). For the cell at
  // X -1000..0 the lookups of C2 and C4 at X = 0 may accept only records at
  // exactly X = 0 (the best distance starts at |0|), so they settle on none
  // and the working values of C1 and C3 stay in place.
  for (bool index : {true, false}) {
    SCOPED_TRACE(index ? "index" : "scan");
    ParamStore s = Grid(-2000, 5000, 1000, 4, 3, Linearish, false);
    std::vector<ParaRecord> kept(1);
    for (std::size_t k = 1; k < s.records.size(); ++k) {
      if (s.records[k].x != 0) kept.push_back(s.records[k]);
    }
    s.records.assign(kept.begin(), kept.end());
    s.count = static_cast<int32_t>(kept.size() - 1);
    if (index) s.index = GridIndex::Build(s);
    const ParaRecord c1 = At(s, -1000, 5000), c3 = At(s, -1000, 6000);
    const double u = 0.25, w = 0.5;
    Corrections c = InterpolatePara(s, -750, 5500);
    EXPECT_EQ(c.dx, (1 - u) * (1 - w) * c1.dx + u * (1 - w) * c1.dx + (1 - u) * w * c3.dx +
                        u * w * c3.dx);
    EXPECT_EQ(c.dh, (1 - u) * (1 - w) * c1.dh + u * (1 - w) * c1.dh + (1 - u) * w * c3.dh +
                        u * w * c3.dh);
  }
}

TEST(InterpolatePara, ArithmeticFaultsAreErrors) {
  ParamStore zeroStep = Grid(0, 0, 1000, 4, 4, Linearish);
  zeroStep.gridStepX = 0;
  EXPECT_THROW(InterpolatePara(zeroStep, 0, 500), OverflowError) << "0 / 0";
  EXPECT_THROW(InterpolatePara(zeroStep, 500, 500), OverflowError) << "x / 0";
  ParamStore zeroY = Grid(0, 0, 1000, 4, 4, Linearish);
  zeroY.gridStepY = 0;
  EXPECT_THROW(InterpolatePara(zeroY, 500, 500), OverflowError);
  // More than 32 767 cells along X: the cell index leaves the 16-bit range.
  ParamStore fine = Grid(0, 0, 1000, 4, 4, Linearish);
  fine.gridMaxX = 1e9;
  fine.gridStepX = 1;
  EXPECT_NO_THROW(InterpolatePara(fine, 32767.5, 500));
  EXPECT_THROW(InterpolatePara(fine, 32768.5, 500), OverflowError);
}

TEST(InterpolatePara, NegativeSpacingInterpolatesTheMirroredCell) {
  // A negative spacing is read as written; the formulas then look up the cell
  // from its upper corner, which gives the same bilinear values.
  ParamStore s = Grid(0, 0, 1000, 4, 4, Linearish);
  ParamStore neg = s;
  neg.gridStepX = -1000;
  neg.gridStepY = -1000;
  for (auto [x, y] : {std::pair{1250.0, 1750.0}, {500.0, 500.0}, {2999.0, 10.0}}) {
    Corrections a = InterpolatePara(s, x, y), b = InterpolatePara(neg, x, y);
    EXPECT_NEAR(a.dx, b.dx, 1e-12);
    EXPECT_NEAR(a.dh, b.dh, 1e-12);
  }
}

TEST(LookupNode, ScanRules) {
  // Acceptance needs both distances no larger than the best so far; the scan
  // stops at the first accepted record within 1 cm in both.
  ParamStore s;
  s.records = {{},
               {900, 10, 1, 0, 0},
               {1000.004, 0.02, 2, 0, 0},
               {1000.001, 5000, 3, 0, 0},
               {999.995, 0.008, 4, 0, 0},
               {1000, 0, 5, 0, 0}};
  s.count = 5;
  NodeValues v;
  LookupNodeScan(s, 1000, 3, v);
  // Distances (ex, ey): 1 (100, 7) refused, Y farther than |node Y| = 3;
  // 2 (0.004, 2.98) accepted; 3 (0.001, 4997) refused; 4 (0.005, 2.992)
  // refused, X farther; 5 (0, 3) refused, Y farther.
  EXPECT_EQ(v.dx, 2);
  LookupNodeScan(s, 1000, 0.01, v);
  // 1 (100, 9.99) accepted; 2 (0.004, 0.01) accepted and within 1 cm: stop.
  EXPECT_EQ(v.dx, 2);
  // Node at the origin of X: nothing is nearer than |node X| = 0 in X except
  // records exactly at X = 0; none here, so the values stay.
  NodeValues keep{7, 7, 7, 7, 7};
  LookupNodeScan(s, 0, 0, keep);
  EXPECT_EQ(keep.dx, 7);
}

}  // namespace
}  // namespace varno::params
