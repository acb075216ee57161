// The parameter-range picture: node and cell classes, the picture transform,
// the levels of detail and the SVG document.
#include <gtest/gtest.h>
#include <algorithm>

#include <cmath>
#include <limits>

#include "map/legend.h"
#include "map/model.h"
#include "map/svg.h"
#include "map/view.h"
#include "map_test_util.h"

namespace varno::map {
namespace {

using testing::ParseSvg;
using testing::SmallStore;

// Record index of node (r, c) in SmallStore(rows, cols).
int32_t Index(int cols, int r, int c) {
  return r * cols + c + 1;
}

TEST(GridModel, ClassifiesNodesAndCells) {
  // 4 rows x 5 columns; node (1, 1) without parameters, node (2, 3) missing,
  // node (0, 4) with dX = 0 only (a valid corner).
  params::ParamStore s = SmallStore(4, 5);
  s.records[Index(5, 1, 1)].dx = 0;
  s.records[Index(5, 1, 1)].dy = 0;
  s.records[Index(5, 1, 1)].dh = 0.3;   // dH alone does not count
  s.records[Index(5, 2, 3)].x += 0.02;  // more than 1 cm off its node
  s.records[Index(5, 0, 4)].dx = 0;
  const GridModel g = GridModel::Build(s);
  ASSERT_TRUE(g.hasNodes());
  EXPECT_EQ(g.rows(), 4);
  EXPECT_EQ(g.cols(), 5);
  EXPECT_EQ(g.NodeAt(1, 1), NodeClass::kZero);
  EXPECT_EQ(g.NodeAt(2, 3), NodeClass::kMissing);
  EXPECT_EQ(g.NodeAt(0, 4), NodeClass::kParams);
  EXPECT_EQ(g.missingNodes(), 1);
  // The four cells around (1, 1) have no parameters.
  for (auto [r, c] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
    EXPECT_EQ(g.CellAt(r, c), CellClass::kNoParams) << r << "," << c;
  }
  // Around (2, 3): missing corners; (1, 2) touches both and has no parameters
  // only if a zero corner touches it, which it does not.
  for (auto [r, c] : {std::pair{1, 2}, {1, 3}, {2, 2}, {2, 3}}) {
    EXPECT_EQ(g.CellAt(r, c), CellClass::kMissing) << r << "," << c;
  }
  EXPECT_EQ(g.CellAt(0, 3), CellClass::kParams);
  EXPECT_EQ(g.cellCount(CellClass::kNoParams), 4);
  EXPECT_EQ(g.cellCount(CellClass::kMissing), 4);
  EXPECT_EQ(g.cellCount(CellClass::kParams), 12 - 8);
  // A point in the cell of (0, 3); the upper limits are outside.
  EXPECT_EQ(g.CellAtPoint(1050, 2350), CellClass::kParams);
  EXPECT_EQ(g.CellAtPoint(1300, 2050), CellClass::kOutside);
  EXPECT_EQ(g.CellAtPoint(1050, 2400), CellClass::kOutside);
  // The largest correction: row 3, column 4.
  EXPECT_DOUBLE_EQ(g.maxCorrection(), std::hypot(0.13, 0.24));
}

TEST(GridModel, FirstRecordOnANodeStandsForIt) {
  params::ParamStore s = SmallStore(2, 2);
  s.records.push_back({1000.004, 2000, 0, 0, 0});  // a later duplicate of node (0, 0)
  s.count += 1;
  const GridModel g = GridModel::Build(s);
  EXPECT_EQ(g.NodeRecord(0, 0), 1);
  EXPECT_EQ(g.NodeAt(0, 0), NodeClass::kParams);
}

TEST(GridModel, MalformedHeadersNeverBreakThePicture) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double minX, maxX, stepX;
    bool extent, nodes;
  } cases[] = {
      {1000, 1300, 0, true, false},     // spacing 0
      {1000, 1300, -100, true, false},  // negative spacing
      {1000, 1000, 100, false, false},  // empty extent
      {1300, 1000, 100, false, false},  // upper limit below the lower
      {nan, 1300, 100, false, false},   // not a number
      {0, 1e12, 0.5, true, false},      // far too many nodes
      {1000, 1300, 1000, true, true},   // spacing wider than the grid: one cell
  };
  for (const Case& c : cases) {
    params::ParamStore s = SmallStore(4, 4);
    s.gridMinX = c.minX;
    s.gridMaxX = c.maxX;
    s.gridStepX = c.stepX;
    const GridModel g = GridModel::Build(s);
    EXPECT_EQ(g.hasExtent(), c.extent) << c.minX << " " << c.maxX << " " << c.stepX;
    EXPECT_EQ(g.hasNodes(), c.nodes) << c.minX << " " << c.maxX << " " << c.stepX;
    // Every drawing step copes.
    Viewport v = Fit(GridBounds(g), 200, 100, 5);
    std::vector<CellClass> raster;
    RasterCells(g, v, raster);
    std::vector<Arrow> arrows;
    VisibleArrows(g, v, PlanArrows(g, v), arrows);
    EXPECT_TRUE(ParseSvg(MapSvg(g, nullptr, nullptr)).wellFormed);
  }
  // An empty store: every node missing.
  params::ParamStore empty = SmallStore(3, 3);
  empty.records.resize(1);
  empty.count = 0;
  const GridModel g = GridModel::Build(empty);
  EXPECT_EQ(g.missingNodes(), 9);
  EXPECT_EQ(g.cellCount(CellClass::kMissing), 4);
  EXPECT_EQ(PlanArrows(g, Fit(GridBounds(g), 100, 100, 0)).stride, 0);
}

TEST(Viewport, NorthIsUpAndEastIsRight) {
  Viewport v;
  v.centerX = 1000;
  v.centerY = 2000;
  v.scale = 0.5;  // 2 m per pixel
  v.width = 400;
  v.height = 300;
  const PixelPoint c = v.ToPixel(1000, 2000);
  EXPECT_DOUBLE_EQ(c.px, 200);
  EXPECT_DOUBLE_EQ(c.py, 150);
  // 100 m north is 50 pixels up; 100 m east is 50 pixels right.
  const PixelPoint n = v.ToPixel(1100, 2000);
  EXPECT_DOUBLE_EQ(n.px, 200);
  EXPECT_DOUBLE_EQ(n.py, 100);
  const PixelPoint e = v.ToPixel(1000, 2100);
  EXPECT_DOUBLE_EQ(e.px, 250);
  EXPECT_DOUBLE_EQ(e.py, 150);
  double x, y;
  v.ToWorld(250, 100, x, y);
  EXPECT_DOUBLE_EQ(x, 1100);
  EXPECT_DOUBLE_EQ(y, 2100);
  // Zooming at a pixel keeps the world point under it.
  v.ZoomAt(250, 100, 4);
  EXPECT_DOUBLE_EQ(v.scale, 2);
  const PixelPoint z = v.ToPixel(1100, 2100);
  EXPECT_NEAR(z.px, 250, 1e-9);
  EXPECT_NEAR(z.py, 100, 1e-9);
  v.PanPixels(10, -20);  // content follows the mouse: 10 right, 20 up
  const PixelPoint q = v.ToPixel(1100, 2100);
  EXPECT_NEAR(q.px, 260, 1e-9);
  EXPECT_NEAR(q.py, 80, 1e-9);
  // Zoom is bounded, a bad factor ignored.
  v.ZoomAt(0, 0, 1e30);
  EXPECT_DOUBLE_EQ(v.scale, kMaxScale);
  v.ZoomAt(0, 0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(v.scale, kMaxScale);
}

TEST(Viewport, FitShowsTheGridWithinTheMargin) {
  const params::ParamStore s = SmallStore(11, 21);  // 1000 m north, 2000 m east
  const GridModel g = GridModel::Build(s);
  const Viewport v = Fit(GridBounds(g), 420, 420, 10);
  EXPECT_DOUBLE_EQ(v.scale, 0.2);  // the width limits: 400 px for 2000 m
  const PixelPoint sw = v.ToPixel(g.minX(), g.minY());
  const PixelPoint ne = v.ToPixel(g.maxX(), g.maxY());
  EXPECT_DOUBLE_EQ(sw.px, 10);
  EXPECT_DOUBLE_EQ(ne.px, 410);
  EXPECT_DOUBLE_EQ(sw.py, 310);  // 200 px tall, centred
  EXPECT_DOUBLE_EQ(ne.py, 110);
  // A single point gets a square around it; nothing at all a default view.
  Bounds one;
  one.Add(5, 5);
  EXPECT_GT(Fit(one, 100, 100, 0).scale, 0);
  EXPECT_GT(Fit(Bounds{}, 100, 100, 0).scale, 0);
}

TEST(Steps, NiceNumbersAndTicks) {
  EXPECT_DOUBLE_EQ(NiceStep(0.7), 1);
  EXPECT_DOUBLE_EQ(NiceStep(1.3), 2);
  EXPECT_DOUBLE_EQ(NiceStep(2), 2);
  EXPECT_DOUBLE_EQ(NiceStep(4100), 5000);
  EXPECT_DOUBLE_EQ(NiceFloor(2.7), 2);
  EXPECT_DOUBLE_EQ(NiceFloor(0.09), 0.05);
  EXPECT_EQ(Ticks(-150, 1050, 600), (std::vector<double>{0, 200, 400, 600, 800, 1000}));
  EXPECT_TRUE(Ticks(5, 5, 600).empty());
  EXPECT_TRUE(Ticks(0, std::numeric_limits<double>::infinity(), 600).empty());
}

TEST(Raster, EachPixelTakesTheCellUnderItsCentre) {
  params::ParamStore s = SmallStore(3, 3);
  s.records[Index(3, 0, 0)].dx = s.records[Index(3, 0, 0)].dy = 0;  // cell (0, 0) without
  const GridModel g = GridModel::Build(s);
  Viewport v;
  v.width = 40;
  v.height = 40;
  v.scale = 0.1;  // 10 m per pixel: a cell is 10 x 10 pixels
  v.centerX = 1100;
  v.centerY = 2100;
  std::vector<CellClass> raster;
  RasterCells(g, v, raster);
  ASSERT_EQ(raster.size(), 1600u);
  auto at = [&](int px, int py) { return raster[static_cast<std::size_t>(py * 40 + px)]; };
  // The grid spans pixels 10..30 both ways; south-west cell at the lower left.
  EXPECT_EQ(at(15, 25), CellClass::kNoParams);
  EXPECT_EQ(at(25, 25), CellClass::kParams);
  EXPECT_EQ(at(15, 15), CellClass::kParams);
  EXPECT_EQ(at(5, 25), CellClass::kOutside);
  EXPECT_EQ(at(15, 35), CellClass::kOutside);
  EXPECT_EQ(at(30, 15), CellClass::kOutside);  // the upper limit is outside
}

TEST(Arrows, ThinnedToTheZoomAndPointingAlongTheCorrection) {
  const params::ParamStore s = SmallStore(101, 101);  // 10 km square, 100 m nodes
  const GridModel g = GridModel::Build(s);
  Viewport close = Fit(GridBounds(g), 1000, 1000, 0);
  close.ZoomAt(500, 500, 10);  // 1 px per metre: nodes 100 px apart
  const ArrowPlan p1 = PlanArrows(g, close);
  EXPECT_EQ(p1.stride, 1);
  const Viewport far = Fit(GridBounds(g), 1000, 1000, 0);  // nodes 10 px apart
  const ArrowPlan p2 = PlanArrows(g, far);
  EXPECT_EQ(p2.stride, 5);
  std::vector<Arrow> arrows;
  VisibleArrows(g, far, p2, arrows);
  EXPECT_EQ(arrows.size(), 21u * 21u);
  for (const Arrow& a : arrows) {
    EXPECT_EQ(a.row % 5, 0);
    EXPECT_EQ(a.col % 5, 0);
    // dY > 0 points east (right), dX > 0 north (up).
    EXPECT_GT(a.to.px, a.from.px);
    EXPECT_LT(a.to.py, a.from.py);
  }
  // The longest arrow fills 80 % of the spacing; the bar matches the scale.
  EXPECT_NEAR(g.maxCorrection() * p2.pxPerMetre, 0.8 * 5 * 10, 1e-9);
  EXPECT_DOUBLE_EQ(p2.barMetres, 1);
  EXPECT_DOUBLE_EQ(p2.barPx, p2.pxPerMetre);
  // Only the visible nodes get arrows when zoomed in.
  VisibleArrows(g, close, p1, arrows);
  EXPECT_LE(arrows.size(), 11u * 11u);
  EXPECT_GT(arrows.size(), 0u);
}

TEST(Nodes, HoverFindsTheNearestNodeAndMissingNodesAppearWhenZoomedIn) {
  params::ParamStore s = SmallStore(3, 3);
  s.records[Index(3, 1, 2)].y += 50;  // node (1, 2) missing
  const GridModel g = GridModel::Build(s);
  Viewport v = Fit(GridBounds(g), 240, 240, 20);  // 1 px per metre
  const PixelPoint n = v.ToPixel(1100, 2200);
  int32_t r = -1, c = -1;
  ASSERT_TRUE(NodeNear(g, v, n.px + 3, n.py - 2, 6, r, c));
  EXPECT_EQ(r, 1);
  EXPECT_EQ(c, 2);
  EXPECT_FALSE(NodeNear(g, v, n.px + 30, n.py, 6, r, c));
  EXPECT_NE(NodeDescription(g, 1, 2).find("ﾌｧｲﾙにない格子点"), std::string::npos);
  EXPECT_NE(NodeDescription(g, 0, 0).find("dX 0.10000"), std::string::npos);
  std::vector<PixelPoint> missing;
  VisibleMissingNodes(g, v, 8, missing);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_DOUBLE_EQ(missing[0].px, n.px);
  VisibleMissingNodes(g, v, 200, missing);  // nodes too close together
  EXPECT_TRUE(missing.empty());
}

TEST(Xml, EscapesMarkupAndCharactersXmlCannotCarry) {
  EXPECT_EQ(XmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(XmlEscape("剣岳\t1"), "剣岳\\x091");
  EXPECT_EQ(XmlEscape(std::string("x\x01y\x1b\n", 5)), "x\\x01y\\x1B\n");
  EXPECT_EQ(XmlEscape(std::string("\xff\xe5\x89", 3)), "\\xFF\\xE5\\x89");  // invalid UTF-8
  EXPECT_EQ(XmlEscape("\xed\xa0\x80"), "\\xED\\xA0\\x80");                  // a surrogate
  EXPECT_EQ(XmlEscape("a\uFFFEb\uFFFF"), "a\uFFFDb\uFFFD");
}

MapPoint Point(int64_t line, std::string name, Outcome o, double x, double y) {
  MapPoint p;
  p.line = line;
  p.name = std::move(name);
  p.outcome = o;
  p.placed = true;
  p.x = x;
  p.y = y;
  p.h = 10;
  if (o == Outcome::kGrid || o == Outcome::kRep) {
    p.corrected = true;
    p.x2 = x + 0.1;
    p.y2 = y + 0.2;
    p.h2 = 10.05;
  }
  return p;
}

TEST(Svg, OnePointElementPerDataLineInInputOrderWithTitles) {
  params::ParamStore s = SmallStore(5, 5);
  const GridModel g = GridModel::Build(s);
  RunPoints run;
  run.inputName = "pts<1>.in";
  // Names as read from a file: CP932 bytes, markup, control characters, and
  // a trail byte 0x5C.
  run.points.push_back(Point(3, "\x8c\x95\x8a\x78", Outcome::kGrid, 1100, 2100));  // 剣岳
  run.points.push_back(Point(4, "a</title><b>&", Outcome::kRep, 900, 2100));
  run.points.push_back(Point(7, std::string("\x01\x02\"'", 4), Outcome::kNone, 1500, 1500));
  MapPoint r = Point(9, "\x83\x5c", Outcome::kRange, 0, 0);  // ソ
  r.placed = false;
  r.latLonInput = true;
  r.inB = 460001;
  r.inL = 1395000;
  run.points.push_back(r);
  run.points.push_back(Point(12, "", Outcome::kGrid, 1200, 2200));
  SinglePoint single;
  single.valid = true;
  single.point = Point(0, "No Name", Outcome::kGrid, 1150, 2150);

  const testing::SvgDocument doc = ParseSvg(MapSvg(g, &run, &single));
  ASSERT_TRUE(doc.wellFormed) << doc.error;
  const std::vector<testing::SvgElement> pts = doc.Points();
  ASSERT_EQ(pts.size(), 5u);
  const char* classes[] = {"point grid", "point rep", "point none", "point range unplaced",
                           "point grid"};
  const char* lines[] = {"3行", "4行", "7行", "9行", "12行"};
  for (std::size_t i = 0; i < pts.size(); ++i) {
    EXPECT_EQ(pts[i].cls, classes[i]);
    EXPECT_EQ(pts[i].title.rfind(lines[i], 0), 0u) << pts[i].title;
  }
  EXPECT_NE(pts[0].title.find("剣岳"), std::string::npos);
  EXPECT_NE(pts[1].title.find("a</title><b>&"), std::string::npos);
  EXPECT_NE(pts[2].title.find("\\x01\\x02\"'"), std::string::npos);
  EXPECT_NE(pts[3].title.find("ソ"), std::string::npos);
  EXPECT_NE(pts[3].title.find("460001.00000"), std::string::npos);
  // The placed points sit where the picture transform puts them: the same
  // view as the document's plot area.
  const PlotArea area = PlotAreaOf(1200, 900);
  Bounds b = GridBounds(g);
  b.Add(PointBounds(&run, &single));
  const Viewport v = Fit(b, area.width, area.height, 12);
  const PixelPoint p0 = v.ToPixel(1100, 2100);
  EXPECT_NEAR(std::stod(pts[0].Attr("cx")), p0.px, 0.01);
  EXPECT_NEAR(std::stod(pts[0].Attr("cy")), p0.py, 0.01);
  // The single point is drawn, but not as a data point.
  int singles = 0;
  for (const auto& e : doc.elements) singles += e.cls.rfind("single-", 0) == 0 ? 1 : 0;
  EXPECT_EQ(singles, 3);  // before, after and the move between
  // The legend names the run's file escaped.
  bool legendNamesFile = false;
  for (const auto& e : doc.elements) legendNamesFile |= e.name == "text";
  EXPECT_TRUE(legendNamesFile);
}

TEST(Svg, LargeGridsAreDrawnInBlocksNotCells) {
  const params::ParamStore s = SmallStore(400, 400);
  const GridModel g = GridModel::Build(s);
  const std::string svg = MapSvg(g, nullptr, nullptr);
  const testing::SvgDocument doc = ParseSvg(svg);
  ASSERT_TRUE(doc.wellFormed) << doc.error;
  // Every cell has parameters: one rectangle per block row, not per cell.
  int rects = 0;
  for (const auto& e : doc.elements) rects += e.cls == "params" ? 1 : 0;
  EXPECT_GT(rects, 100);
  EXPECT_LT(rects, 500);
}

TEST(Legend, CountsOnlyOutcomesThatOccur) {
  const GridModel g = GridModel::Build(SmallStore(2, 2));
  RunPoints run;
  run.points.push_back(Point(1, "a", Outcome::kGrid, 1000, 2000));
  run.points.push_back(Point(2, "b", Outcome::kNone, 1000, 2000));
  run.points.push_back(Point(3, "c", Outcome::kNone, 1000, 2000));
  const OutcomeCounts c = CountOutcomes(run);
  EXPECT_EQ(c.n[0], 1);
  EXPECT_EQ(c.n[2], 2);
  int pointEntries = 0;
  for (const LegendEntry& e : Legend(g, &run, nullptr)) {
    if (e.symbol == LegendSymbol::kPoint) {
      ++pointEntries;
      EXPECT_TRUE(e.text.find("(1)") != std::string::npos ||
                  e.text.find("(2)") != std::string::npos)
          << e.text;
    }
  }
  EXPECT_EQ(pointEntries, 2);
  EXPECT_EQ(BarText(2), "補正量 2 m");
  EXPECT_EQ(BarText(0.05), "補正量 0.05 m");
}

// A thinned run's legend counts every point of the run and says how many
// are not drawn.
TEST(Legend, AThinnedRunCountsThePointsNotDrawn) {
  const GridModel g = GridModel::Build(SmallStore(2, 2));
  RunPoints run;
  run.points.push_back(Point(1, "a", Outcome::kGrid, 1000, 2000));
  run.points.push_back(Point(9, "b", Outcome::kRange, 1000, 2000));
  run.droppedBy[static_cast<int>(Outcome::kGrid)] = 1233;
  run.droppedBy[static_cast<int>(Outcome::kRep)] = 2;
  std::vector<std::string> texts;
  for (const LegendEntry& e : Legend(g, &run, nullptr)) texts.push_back(e.text);
  auto has = [&](const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
  };
  EXPECT_TRUE(has("地域毎のﾊﾟﾗﾒｰﾀで変換 (1,234)"));
  EXPECT_TRUE(has("代表点で変換 (2)"));
  EXPECT_TRUE(has("座標系の範囲外 (1)"));
  EXPECT_TRUE(has("うち 1,235 点は表示の上限のため非表示"));
}

}  // namespace
}  // namespace varno::map
