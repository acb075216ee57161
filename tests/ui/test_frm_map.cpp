// The parameter-range picture window: drawing offscreen at the right pixels,
// hover texts escaped, wheel zoom and drag pan, export, and the points it
// takes from the main window.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "map/legend.h"
#include "ui/frm_main.h"
#include "ui/frm_map.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

using testing::Ctl;
using testing::GridFile;
using testing::RecordingMessages;

QColor Colour(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

map::MapPoint RunPoint(int64_t line, const std::string& name, map::Outcome o, double x, double y) {
  map::MapPoint p;
  p.line = line;
  p.name = name;
  p.outcome = o;
  p.placed = true;
  p.x = x;
  p.y = y;
  return p;
}

class MapWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(grid.ok());
    testing::LoadStore(state, grid.path());
    w = std::make_unique<FrmMap>(state.store, state.lastRun, state.lastPoint, messages);
    w->resize(900, 700);
    w->show();
    QApplication::processEvents();
  }
  // The canvas as drawn now.
  QImage Frame() { return testing::Named<MapCanvas>(*w, "canvas")->grab().toImage(); }

  GridFile grid;  // the demo grid: X 150 000 .. 230 000, Y 0 .. 70 000, 1 km, a hole in the SE
  ModuleState state;
  RecordingMessages messages;
  std::unique_ptr<FrmMap> w;
};

TEST_F(MapWindowTest, CellsAreDrawnWhereThePictureTransformPutsThem) {
  const map::GridModel& g = w->grid();
  ASSERT_TRUE(g.hasNodes());
  EXPECT_EQ(g.rows(), 81);
  EXPECT_EQ(g.cols(), 71);
  // A fixed view: 10 m per pixel centred on X 190 000, Y 35 000.
  map::Viewport v;
  v.centerX = 190000;
  v.centerY = 35000;
  v.scale = 0.1;
  testing::Named<MapCanvas>(*w, "canvas")->SetView(v);
  const map::Viewport& cv = testing::Named<MapCanvas>(*w, "canvas")->view();
  // The node X 190 000, Y 35 000 is at the centre; 1 km north is 100 px up.
  const map::PixelPoint c = cv.ToPixel(190000, 35000);
  EXPECT_DOUBLE_EQ(c.px, cv.width / 2.0);
  EXPECT_DOUBLE_EQ(c.py, cv.height / 2.0);
  EXPECT_DOUBLE_EQ(cv.ToPixel(191000, 35000).py, c.py - 100);
  EXPECT_DOUBLE_EQ(cv.ToPixel(190000, 36000).px, c.px + 100);
  // Zoom out to the whole grid: a cell with parameters (north-west) and one in
  // the hole (south-east) show their colours at their centres.
  w->FitGrid();
  const QImage img = Frame();
  const map::Viewport& fv = testing::Named<MapCanvas>(*w, "canvas")->view();
  const map::PixelPoint nw = fv.ToPixel(220500, 10500);
  const map::PixelPoint se = fv.ToPixel(155500, 65500);
  const map::PixelPoint out = fv.ToPixel(165000, 72000);  // east of the grid
  EXPECT_EQ(img.pixelColor(int(nw.px), int(nw.py)),
            Colour(map::CellColour(map::CellClass::kParams)));
  EXPECT_EQ(img.pixelColor(int(se.px), int(se.py)),
            Colour(map::CellColour(map::CellClass::kNoParams)));
  ASSERT_LT(out.px, img.width() - 10);
  EXPECT_EQ(img.pixelColor(int(out.px), int(out.py)), QColor(Qt::white));
}

TEST_F(MapWindowTest, HoverTextsNamePointsAndNodesEscaped) {
  state.lastRun.points.push_back(
      RunPoint(7, "<b>\x8c\x95\x8a\x78</b>\x01", map::Outcome::kRep, 190000, 35000));
  state.lastPoint.valid = true;
  state.lastPoint.point = RunPoint(0, "No Name", map::Outcome::kGrid, 200000, 20000);
  state.lastPoint.point.corrected = true;
  state.lastPoint.point.x2 = 200000.3;
  state.lastPoint.point.y2 = 20001.5;
  w->Refresh(true);
  const map::Viewport& v = testing::Named<MapCanvas>(*w, "canvas")->view();
  const map::PixelPoint p = v.ToPixel(190000, 35000);
  const QString tip = testing::Named<MapCanvas>(*w, "canvas")->TooltipAt(QPointF(p.px + 2, p.py));
  EXPECT_TRUE(tip.contains(QString::fromUtf8("7行"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QString::fromUtf8("&lt;b&gt;剣岳&lt;/b&gt;\\x01"))) << tip.toStdString();
  EXPECT_FALSE(tip.contains(QStringLiteral("<b>")));
  const map::PixelPoint s = v.ToPixel(200000, 20000);
  EXPECT_TRUE(testing::Named<MapCanvas>(*w, "canvas")
                  ->TooltipAt(QPointF(s.px, s.py))
                  .contains(QString::fromUtf8("単点変換")));
  // Zoomed in, a node's record; far from everything, nothing.
  map::Viewport close = v;
  close.scale = 0.05;
  close.centerX = 180000;
  close.centerY = 30000;
  testing::Named<MapCanvas>(*w, "canvas")->SetView(close);
  const map::PixelPoint n = testing::Named<MapCanvas>(*w, "canvas")->view().ToPixel(180000, 31000);
  const QString nodeTip =
      testing::Named<MapCanvas>(*w, "canvas")->TooltipAt(QPointF(n.px + 1, n.py + 1));
  EXPECT_TRUE(nodeTip.contains(QString::fromUtf8("格子点 X 180000.0000  Y 31000.0000")))
      << nodeTip.toStdString();
  EXPECT_TRUE(
      testing::Named<MapCanvas>(*w, "canvas")->TooltipAt(QPointF(n.px + 25, n.py + 25)).isEmpty());
}

TEST_F(MapWindowTest, WheelZoomsAtTheMouseAndDraggingPans) {
  QWidget* c = testing::Named<MapCanvas>(*w, "canvas");
  const QPoint at(300, 200);
  double x0, y0;
  testing::Named<MapCanvas>(*w, "canvas")->view().ToWorld(at.x(), at.y(), x0, y0);
  const double scale0 = testing::Named<MapCanvas>(*w, "canvas")->view().scale;
  QWheelEvent wheel(QPointF(at), c->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, 240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(c, &wheel);
  EXPECT_NEAR(testing::Named<MapCanvas>(*w, "canvas")->view().scale, scale0 * 1.5625,
              scale0 * 1e-9);
  const map::PixelPoint same = testing::Named<MapCanvas>(*w, "canvas")->view().ToPixel(x0, y0);
  EXPECT_NEAR(same.px, at.x(), 1e-6);
  EXPECT_NEAR(same.py, at.y(), 1e-6);
  QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseMove(c, at + QPoint(40, -30));
  QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, at + QPoint(40, -30));
  const map::PixelPoint moved = testing::Named<MapCanvas>(*w, "canvas")->view().ToPixel(x0, y0);
  EXPECT_NEAR(moved.px, at.x() + 40, 1e-6);
  EXPECT_NEAR(moved.py, at.y() - 30, 1e-6);
  // Fit to the grid brings back the whole grid.
  testing::Named<QPushButton>(*w, "cmdFitGrid")->click();
  const map::Bounds vis = testing::Named<MapCanvas>(*w, "canvas")->view().Visible();
  EXPECT_LE(vis.minX, 150000);
  EXPECT_GE(vis.maxX, 230000);
  EXPECT_LE(vis.minY, 0);
  EXPECT_GE(vis.maxY, 70000);
}

TEST_F(MapWindowTest, ExportsPngSvgAndPrintsOnePage) {
  state.lastRun.points.push_back(RunPoint(3, "a&b", map::Outcome::kGrid, 190000, 35000));
  state.lastRun.points.push_back(RunPoint(5, "c", map::Outcome::kNone, 160000, 60000));
  w->Refresh(true);
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("map.png"));
  const QString svg = dir.filePath(QStringLiteral("map.svg"));
  w->chooseSavePath = [&](const QString&, const QString& filter, const QString&) {
    return filter.contains(QStringLiteral("svg")) ? svg : png;
  };
  testing::Named<QPushButton>(*w, "cmdPng")->click();
  testing::Named<QPushButton>(*w, "cmdSvg")->click();
  QImage image;
  ASSERT_TRUE(image.load(png));
  EXPECT_EQ(image.size(), testing::Named<MapCanvas>(*w, "canvas")->size());
  QFile f(svg);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&f);
  QStringList pointClasses;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement) {
      const QString cls = xml.attributes().value(QStringLiteral("class")).toString();
      if (cls.startsWith(QStringLiteral("point "))) pointClasses << cls;
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(pointClasses,
            (QStringList{QStringLiteral("point grid"), QStringLiteral("point none")}));
  EXPECT_TRUE(messages.boxes.empty());
  // A folder that does not exist: a message, no crash.
  w->ExportSvg(dir.filePath(QStringLiteral("missing/map.svg")));
  EXPECT_EQ(messages.boxes.size(), 1u);
  // One page to a PDF file.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("map.pdf")));
  w->PrintTo(printer);
  QFile pdf(dir.filePath(QStringLiteral("map.pdf")));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_EQ(
      bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page>"), 1);
}

TEST(MapFromMainWindow, TheMenuOpensItAndTheLastConversionIsKept) {
  GridFile grid;
  ModuleState state;
  testing::LoadStore(state, grid.path());
  RecordingMessages messages;
  FrmMain main(state, messages);
  int opened = 0, converted = 0;
  QObject::connect(&main, &FrmMain::mapRequested, [&] { ++opened; });
  QObject::connect(&main, &FrmMain::converted, [&] { ++converted; });
  Ctl(main).mnuMap->trigger();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(Ctl(main).mnuView->title(), QString::fromUtf8("表示"));
  EXPECT_EQ(Ctl(main).mnuMap->text(), QString::fromUtf8("変換パラメータ範囲図"));
  // The example point lies in the grid: before and after are kept.
  Ctl(main).txtName->setText(QString::fromUtf8("基準点<1>"));
  main.Calculate();
  EXPECT_EQ(converted, 1);
  ASSERT_TRUE(state.lastPoint.valid);
  const map::MapPoint& p = state.lastPoint.point;
  EXPECT_EQ(p.outcome, map::Outcome::kGrid);
  EXPECT_DOUBLE_EQ(p.x, 193524.0771);
  EXPECT_DOUBLE_EQ(p.y, 34235.1330);
  ASSERT_TRUE(p.corrected);
  EXPECT_EQ(QString::number(p.x2, 'f', 4), Ctl(main).txtJgdx->text());
  EXPECT_NE(map::PointDescription(p, true).find("基準点<1>"), std::string::npos);
  // A point outside the grid: kept as not converted.
  Ctl(main).txtTkyx->setText(QStringLiteral("10000"));
  main.Calculate();
  EXPECT_EQ(state.lastPoint.point.outcome, map::Outcome::kNone);
  EXPECT_FALSE(state.lastPoint.point.corrected);
}

}  // namespace
}  // namespace varno::ui
