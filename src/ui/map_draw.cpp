#include "ui/map_draw.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

#include "map/legend.h"
#include "text/format.h"
#include "text/quote.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

using map::CellClass;
using map::PixelPoint;

// Above this many points in view they are drawn as small squares.
constexpr std::size_t kManyPoints = 20000;
constexpr double kPointRadius = 3.5;
// Lines between cells once cells are this many pixels wide.
constexpr double kCellLinesPx = 14;

QPointF Q2(const PixelPoint& p) {
  return {p.px, p.py};
}

// The cells as an opaque image of the view's size, drawn in one blit.
void DrawCells(QPainter& p, const map::GridModel& g, const map::Viewport& v, MapDrawCache& cache) {
  map::RasterCells(g, v, cache.raster);
  QImage& image = cache.image;
  if (image.width() != v.width || image.height() != v.height) {
    image = QImage(v.width, v.height, QImage::Format_RGB32);
  }
  QRgb colour[4];
  for (CellClass c :
       {CellClass::kParams, CellClass::kNoParams, CellClass::kMissing, CellClass::kOutside}) {
    const Rgb rgb = map::CellColour(c);
    colour[static_cast<int>(c)] = qRgb(rgb.r, rgb.g, rgb.b);
  }
  const CellClass* in = cache.raster.data();
  for (int y = 0; y < v.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < v.width; ++x) line[x] = colour[static_cast<int>(*in++)];
  }
  p.drawImage(QPointF(0, 0), image);
}

void DrawCellLines(QPainter& p, const map::GridModel& g, const map::Viewport& v) {
  if (!g.hasNodes() || std::min(g.stepX(), g.stepY()) * v.scale < kCellLinesPx) return;
  const map::Bounds vis = v.Visible();
  const PixelPoint lo = v.ToPixel(g.minX(), g.minY());
  const PixelPoint hi = v.ToPixel(g.NodeX(g.rows() - 1), g.NodeY(g.cols() - 1));
  p.setPen(QPen(QColor(150, 150, 150, 110), 0));
  const double r0 = std::max(0.0, std::ceil((vis.minX - g.minX()) / g.stepX()));
  const double r1 = std::min<double>(g.rows() - 1, std::floor((vis.maxX - g.minX()) / g.stepX()));
  for (double r = r0; r <= r1; ++r) {
    const double y = v.ToPixel(g.NodeX(static_cast<int32_t>(r)), 0).py;
    p.drawLine(QPointF(std::max(lo.px, 0.0), y), QPointF(std::min(hi.px, 1.0 * v.width), y));
  }
  const double c0 = std::max(0.0, std::ceil((vis.minY - g.minY()) / g.stepY()));
  const double c1 = std::min<double>(g.cols() - 1, std::floor((vis.maxY - g.minY()) / g.stepY()));
  for (double c = c0; c <= c1; ++c) {
    const double x = v.ToPixel(0, g.NodeY(static_cast<int32_t>(c))).px;
    p.drawLine(QPointF(x, std::max(hi.py, 0.0)), QPointF(x, std::min(lo.py, 1.0 * v.height)));
  }
}

void DrawArrows(QPainter& p, const map::GridModel& g, const map::Viewport& v,
                const map::ArrowPlan& plan, std::vector<map::Arrow>& arrows) {
  map::VisibleArrows(g, v, plan, arrows);
  if (arrows.empty()) return;
  QPainterPath path;
  for (const map::Arrow& a : arrows) {
    PixelPoint l, r;
    map::ArrowHead(a.from, a.to, l, r);
    path.moveTo(Q2(a.from));
    path.lineTo(Q2(a.to));
    path.moveTo(Q2(l));
    path.lineTo(Q2(a.to));
    path.lineTo(Q2(r));
  }
  p.setPen(QPen(ToQColor(map::kArrowColour), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void DrawMissingNodes(QPainter& p, const map::GridModel& g, const map::Viewport& v,
                      std::vector<PixelPoint>& nodes) {
  map::VisibleMissingNodes(g, v, 8, nodes);
  if (nodes.empty()) return;
  p.setPen(QPen(ToQColor(map::kMissingNodeColour), 1));
  for (const PixelPoint& n : nodes) {
    p.drawLine(QPointF(n.px - 3, n.py - 3), QPointF(n.px + 3, n.py + 3));
    p.drawLine(QPointF(n.px - 3, n.py + 3), QPointF(n.px + 3, n.py - 3));
  }
}

void DrawExtent(QPainter& p, const map::GridModel& g, const map::Viewport& v) {
  if (!g.hasExtent()) return;
  const PixelPoint a = v.ToPixel(g.maxX(), g.minY());
  const PixelPoint b = v.ToPixel(g.minX(), g.maxY());
  p.setPen(QPen(ToQColor(map::kExtentColour), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(Q2(a), Q2(b)));
}

void DrawOrigin(QPainter& p, const map::Viewport& v) {
  if (!map::Contains(v.Visible(), 0, 0)) return;
  const QPointF o = Q2(v.ToPixel(0, 0));
  p.setPen(QPen(ToQColor(map::kOriginColour), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(o, 6, 6);
  p.drawLine(o - QPointF(10, 0), o + QPointF(10, 0));
  p.drawLine(o - QPointF(0, 10), o + QPointF(0, 10));
  p.drawText(o + QPointF(9, -8), Q("原点"));
}

void DrawAxes(QPainter& p, const map::Viewport& v) {
  const map::Bounds vis = v.Visible();
  const QFontMetrics fm(p.font());
  p.setPen(QPen(QColor(120, 120, 120), 1));
  for (double x : map::Ticks(vis.minX, vis.maxX, v.height)) {
    const double py = v.ToPixel(x, 0).py;
    p.drawLine(QPointF(0, py), QPointF(6, py));
    p.drawText(QPointF(9, py + fm.ascent() / 2.0 - 1), Q(FormatNumber(x, "0")));
  }
  for (double y : map::Ticks(vis.minY, vis.maxY, v.width)) {
    const double px = v.ToPixel(0, y).px;
    p.drawLine(QPointF(px, v.height), QPointF(px, v.height - 6));
    const QString t = Q(FormatNumber(y, "0"));
    p.drawText(QPointF(px - fm.horizontalAdvance(t) / 2.0, v.height - 9), t);
  }
  p.setPen(Qt::black);
  p.drawText(QPointF(9, fm.height() + 2), Q("X (m) 北↑"));
  const QString east = Q("Y (m) 東→");
  p.drawText(QPointF(v.width - fm.horizontalAdvance(east) - 8, v.height - 9 - fm.height()), east);
}

void DrawRunPoints(QPainter& p, const map::RunPoints& run, const map::Viewport& v) {
  QPolygonF byOutcome[4];
  std::size_t shown = 0;
  for (const map::MapPoint& m : run.points) {
    if (!m.placed) continue;
    const PixelPoint q = v.ToPixel(m.x, m.y);
    if (q.px < -5 || q.py < -5 || q.px > v.width + 5 || q.py > v.height + 5) continue;
    byOutcome[static_cast<int>(m.outcome)].push_back(Q2(q));
    ++shown;
  }
  const bool many = shown > kManyPoints;
  p.setRenderHint(QPainter::Antialiasing, !many);
  for (int k = 0; k < 4; ++k) {
    if (byOutcome[k].isEmpty()) continue;
    const QColor c = ToQColor(map::OutcomeColour(static_cast<map::Outcome>(k)));
    if (many) {
      p.setPen(QPen(c, 3, Qt::SolidLine, Qt::SquareCap));
      p.drawPoints(byOutcome[k]);
      continue;
    }
    p.setPen(QPen(Qt::black, 0.5));
    p.setBrush(c);
    for (const QPointF& q : byOutcome[k]) p.drawEllipse(q, kPointRadius, kPointRadius);
  }
  p.setRenderHint(QPainter::Antialiasing, true);
}

void DrawSingle(QPainter& p, const map::SinglePoint& s, const map::Viewport& v) {
  if (!s.valid || !s.point.placed) return;
  const QPointF a = Q2(v.ToPixel(s.point.x, s.point.y));
  if (s.point.corrected) {
    const QPointF b = Q2(v.ToPixel(s.point.x2, s.point.y2));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(a, b);
    p.setBrush(Qt::black);
    p.drawEllipse(b, 5, 5);
  }
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(a, 7, 7);
}

void DrawLegendSymbol(QPainter& p, const map::LegendEntry& e, QPointF at) {
  const QColor c = ToQColor(e.colour);
  switch (e.symbol) {
    case map::LegendSymbol::kCell:
      p.setPen(QPen(QColor(128, 128, 128), 0.5));
      p.setBrush(c);
      p.drawRect(QRectF(at.x(), at.y() - 6, 16, 12));
      break;
    case map::LegendSymbol::kExtent:
      p.setPen(QPen(c, 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(at.x(), at.y() - 6, 16, 12));
      break;
    case map::LegendSymbol::kMissingNode:
      p.setPen(QPen(c, 1));
      p.drawLine(at + QPointF(5, -3), at + QPointF(11, 3));
      p.drawLine(at + QPointF(5, 3), at + QPointF(11, -3));
      break;
    case map::LegendSymbol::kArrow: {
      PixelPoint l, r;
      const PixelPoint a{at.x(), at.y()}, b{at.x() + 18, at.y()};
      map::ArrowHead(a, b, l, r);
      p.setPen(QPen(c, 1.2));
      p.drawLine(Q2(a), Q2(b));
      p.drawLine(Q2(l), Q2(b));
      p.drawLine(Q2(r), Q2(b));
      break;
    }
    case map::LegendSymbol::kPoint:
      p.setPen(QPen(Qt::black, 0.5));
      p.setBrush(c);
      p.drawEllipse(at + QPointF(8, 0), kPointRadius, kPointRadius);
      break;
    case map::LegendSymbol::kSingleBefore:
      p.setPen(QPen(c, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(at + QPointF(8, 0), 6, 6);
      break;
    case map::LegendSymbol::kSingleAfter:
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawEllipse(at + QPointF(8, 0), 4, 4);
      break;
    case map::LegendSymbol::kOrigin:
      p.setPen(QPen(c, 1.5));
      p.drawLine(at, at + QPointF(16, 0));
      p.drawLine(at + QPointF(8, -7), at + QPointF(8, 7));
      break;
    case map::LegendSymbol::kText:
      break;
  }
}

void DrawLegend(QPainter& p, const MapScene& s, const map::Viewport& v,
                const map::ArrowPlan& plan) {
  const std::vector<map::LegendEntry> entries = map::Legend(*s.grid, s.run, s.single);
  const QFontMetrics fm(p.font());
  const double line = std::max(18, fm.height() + 4);
  double textWidth = 0;
  for (const map::LegendEntry& e : entries) {
    textWidth = std::max<double>(textWidth, fm.horizontalAdvance(Q(e.text)) + 24);
  }
  const bool bar = plan.stride > 0 && plan.barPx > 0;
  const double w = std::max(textWidth, bar ? plan.barPx : 0.0) + 16;
  const double h = line * static_cast<double>(entries.size()) + (bar ? line * 2 : 0) + 10;
  const QRectF box(v.width - w - 8, 8, w, h);
  p.setPen(QPen(QColor(128, 128, 128), 1));
  p.setBrush(QColor(255, 255, 255, 225));
  p.drawRect(box);
  double y = box.top() + 6 + line / 2;
  for (const map::LegendEntry& e : entries) {
    const QPointF at(box.left() + 8, y);
    DrawLegendSymbol(p, e, at);
    p.setPen(ToQColor(e.colour));
    if (e.symbol != map::LegendSymbol::kText) p.setPen(Qt::black);
    const double tx = e.symbol == map::LegendSymbol::kText ? at.x() : at.x() + 24;
    p.drawText(QPointF(tx, y + fm.ascent() / 2.0 - 1), Q(e.text));
    y += line;
  }
  if (bar) {
    const double x = box.left() + 8;
    p.setPen(QPen(ToQColor(map::kArrowColour), 2));
    p.drawLine(QPointF(x, y), QPointF(x + plan.barPx, y));
    p.drawLine(QPointF(x, y - 4), QPointF(x, y + 4));
    p.drawLine(QPointF(x + plan.barPx, y - 4), QPointF(x + plan.barPx, y + 4));
    p.setPen(Qt::black);
    p.drawText(QPointF(x, y + line), Q(map::BarText(plan.barMetres)));
  }
}

}  // namespace

void DrawMap(QPainter& p, const MapScene& s, const map::Viewport& v, MapDrawCache& cache,
             bool legend) {
  p.save();
  p.fillRect(QRectF(0, 0, v.width, v.height), Qt::white);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (s.grid) {
    DrawCells(p, *s.grid, v, cache);
    DrawCellLines(p, *s.grid, v);
  }
  DrawAxes(p, v);
  p.setRenderHint(QPainter::Antialiasing, true);
  map::ArrowPlan plan;
  if (s.grid) {
    DrawMissingNodes(p, *s.grid, v, cache.nodes);
    DrawExtent(p, *s.grid, v);
    plan = map::PlanArrows(*s.grid, v);
    DrawArrows(p, *s.grid, v, plan, cache.arrows);
  }
  DrawOrigin(p, v);
  if (s.run) DrawRunPoints(p, *s.run, v);
  if (s.single) DrawSingle(p, *s.single, v);
  if (legend && s.grid) DrawLegend(p, s, v, plan);
  p.restore();
}

const map::MapPoint* PointNear(const MapScene& s, const map::Viewport& v, double px, double py,
                               double radiusPx, bool& isSingle) {
  const double r2 = radiusPx * radiusPx;
  auto dist2 = [&](double x, double y) {
    const PixelPoint q = v.ToPixel(x, y);
    return (q.px - px) * (q.px - px) + (q.py - py) * (q.py - py);
  };
  isSingle = false;
  if (s.single && s.single->valid && s.single->point.placed) {
    const map::MapPoint& m = s.single->point;
    if (dist2(m.x, m.y) <= r2 || (m.corrected && dist2(m.x2, m.y2) <= r2)) {
      isSingle = true;
      return &m;
    }
  }
  if (!s.run) return nullptr;
  const map::MapPoint* best = nullptr;
  double bestD = r2;
  for (const map::MapPoint& m : s.run->points) {
    if (!m.placed) continue;
    const double d = dist2(m.x, m.y);
    if (d <= bestD) {  // a later point drawn on top wins a tie
      bestD = d;
      best = &m;
    }
  }
  return best;
}

QString TooltipHtml(const std::string& utf8) {
  QString t = Q(EscapeControls(utf8, true)).toHtmlEscaped();
  t.replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
  return QStringLiteral("<p style='white-space:pre'>") + t + QStringLiteral("</p>");
}

}  // namespace varno::ui
