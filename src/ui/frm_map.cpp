#include "ui/frm_map.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "map/legend.h"
#include "map/svg.h"
#include "params/store.h"
#include "text/format.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

constexpr double kHoverRadius = 6;
constexpr double kFitMargin = 40;    // clear of the axis labels
constexpr double kWheelStep = 1.25;  // zoom per notch

const char* CellText(map::CellClass c) {
  switch (c) {
    case map::CellClass::kParams:
      return "ﾊﾟﾗﾒｰﾀあり";
    case map::CellClass::kNoParams:
      return "ﾊﾟﾗﾒｰﾀなし (dX=dY=0 の格子点)";
    case map::CellClass::kMissing:
      return "格子点が欠けたｾﾙ";
    case map::CellClass::kOutside:
      break;
  }
  return "格子の範囲外";
}

}  // namespace

// ---------------------------------------------------------------------------
// MapCanvas

MapCanvas::MapCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picMap"));
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setAttribute(Qt::WA_OpaquePaintEvent);
  view_.width = width();
  view_.height = height();
}

void MapCanvas::SetScene(const MapScene& scene) {
  scene_ = scene;
  update();
}

void MapCanvas::SetView(const map::Viewport& v) {
  view_ = v;
  view_.width = std::max(width(), 1);
  view_.height = std::max(height(), 1);
  update();
}

void MapCanvas::FitTo(const map::Bounds& b) {
  SetView(map::Fit(b, width(), height(), kFitMargin));
}

void MapCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawMap(p, scene_, view_, cache_);
}

void MapCanvas::resizeEvent(QResizeEvent* e) {
  // Keep the centre and the scale; the view grows or shrinks around it.
  view_.width = std::max(width(), 1);
  view_.height = std::max(height(), 1);
  QWidget::resizeEvent(e);
}

void MapCanvas::wheelEvent(QWheelEvent* e) {
  const double notches = e->angleDelta().y() / 120.0;
  if (notches == 0) return;
  const QPointF at = e->position();
  view_.ZoomAt(at.x(), at.y(), std::pow(kWheelStep, notches));
  update();
  emit positionChanged(PositionText(at));
  e->accept();
}

void MapCanvas::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = true;
  lastPos_ = e->position();
  setCursor(Qt::ClosedHandCursor);
}

void MapCanvas::mouseMoveEvent(QMouseEvent* e) {
  const QPointF pos = e->position();
  if (dragging_) {
    view_.PanPixels(pos.x() - lastPos_.x(), pos.y() - lastPos_.y());
    lastPos_ = pos;
    update();
  } else {
    const QString tip = TooltipAt(pos);
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(e->globalPosition().toPoint(), tip, this);
    }
  }
  emit positionChanged(PositionText(pos));
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = false;
  unsetCursor();
}

void MapCanvas::leaveEvent(QEvent* e) {
  emit positionChanged(QString());
  QWidget::leaveEvent(e);
}

QString MapCanvas::TooltipAt(QPointF pos) const {
  bool single = false;
  if (const map::MapPoint* m = PointNear(scene_, view_, pos.x(), pos.y(), kHoverRadius, single)) {
    return TooltipHtml(map::PointDescription(*m, single));
  }
  int32_t row = 0, col = 0;
  if (scene_.grid && map::NodeNear(*scene_.grid, view_, pos.x(), pos.y(), kHoverRadius, row, col)) {
    return TooltipHtml(map::NodeDescription(*scene_.grid, row, col));
  }
  return {};
}

QString MapCanvas::PositionText(QPointF pos) const {
  double x = 0, y = 0;
  view_.ToWorld(pos.x(), pos.y(), x, y);
  if (!std::isfinite(x) || !std::isfinite(y)) return {};
  QString t = Q("X " + FormatNumber(x, "0.0") + " m   Y " + FormatNumber(y, "0.0") + " m");
  if (scene_.grid) t += QStringLiteral("   ") + Q(CellText(scene_.grid->CellAtPoint(x, y)));
  return t;
}

// ---------------------------------------------------------------------------
// FrmMap

FrmMap::FrmMap(const params::ParamStore& store, const map::RunPoints& run,
               const map::SinglePoint& single, MessageService& messages, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      run_(run),
      single_(single),
      messages_(messages),
      grid_(map::GridModel::Build(store)) {
  setObjectName(QStringLiteral("frmMap"));
  setWindowTitle(Q(map::kMapTitle));
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(6, 6, 6, 6);
  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption, const char* tip) {
    auto* b = new QPushButton(Q(caption), this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(Q(tip));
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  cmdFitGrid = button("cmdFitGrid", "格子全体", "変換ﾊﾟﾗﾒｰﾀの格子全体を表示します");
  cmdFitPoints = button("cmdFitPoints", "点に合わせる", "変換した点がすべて入るように表示します");
  cmdPng = button("cmdPng", "PNG保存", "表示中の図をPNG画像として保存します");
  cmdSvg = button("cmdSvg", "SVG保存", "表示中の図をSVG図形として保存します");
  cmdPrint = button("cmdPrint", "印刷", "図を1ﾍﾟｰｼﾞに印刷します");
  buttons->addStretch(1);
  cmdClose = button("cmdClose", "閉じる", "閉じます");
  top->addLayout(buttons);
  canvas = new MapCanvas(this);
  canvas->setObjectName(QStringLiteral("canvas"));
  canvas->setToolTip(QString());
  top->addWidget(canvas, 1);
  lblPosition = new QLabel(this);
  lblPosition->setObjectName(QStringLiteral("lblPosition"));
  lblPosition->setTextFormat(Qt::PlainText);
  lblPosition->setText(Q("ﾎｲｰﾙで拡大縮小，ﾄﾞﾗｯｸﾞで移動，点や格子点に重ねると詳細を表示します"));
  top->addWidget(lblPosition);

  connect(cmdFitGrid, &QPushButton::clicked, this, &FrmMap::FitGrid);
  connect(cmdFitPoints, &QPushButton::clicked, this, &FrmMap::FitPoints);
  connect(cmdPng, &QPushButton::clicked, this, [this] { SaveAs(false); });
  connect(cmdSvg, &QPushButton::clicked, this, [this] { SaveAs(true); });
  connect(cmdPrint, &QPushButton::clicked, this, &FrmMap::Print);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
  connect(canvas, &MapCanvas::positionChanged, this, [this](const QString& t) {
    if (!t.isEmpty()) lblPosition->setText(t);
  });

  chooseSavePath = [this](const QString& caption, const QString& filter, const QString& proposed) {
    return QFileDialog::getSaveFileName(this, caption, proposed, filter);
  };

  resize(900, 700);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    move(s->availableGeometry().center() - QPoint(450, 350));
  }
  canvas->resize(880, 600);
  Refresh(true);
}

FrmMap::~FrmMap() = default;

MapScene FrmMap::Scene() const {
  return {&grid_, &run_, &single_};
}

void FrmMap::Refresh(bool fit) {
  canvas->SetScene(Scene());
  cmdFitPoints->setEnabled(!map::PointBounds(&run_, &single_).empty);
  if (fit) FitAll();
}

void FrmMap::FitAll() {
  map::Bounds b = map::GridBounds(grid_);
  b.Add(map::PointBounds(&run_, &single_));
  canvas->FitTo(b);
}

void FrmMap::FitGrid() {
  map::Bounds b = map::GridBounds(grid_);
  if (b.empty) b = map::PointBounds(&run_, &single_);
  canvas->FitTo(b);
}

void FrmMap::FitPoints() {
  const map::Bounds b = map::PointBounds(&run_, &single_);
  canvas->FitTo(b.empty ? map::GridBounds(grid_) : b);
}

bool FrmMap::WriteFile(const QString& path, const QByteArray& bytes) {
  QSaveFile f(path);
  if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
  messages_.Show("ファイルが保存できません。 " + U8(path) + "  " + U8(f.errorString()),
                 "座標変換プログラム", MessageIcon::kWarning);
  return false;
}

bool FrmMap::ExportPng(const QString& path) {
  const map::Viewport& v = canvas->view();
  QImage image(v.width, v.height, QImage::Format_RGB32);
  {
    QPainter p(&image);
    p.setFont(canvas->font());
    MapDrawCache cache;
    DrawMap(p, Scene(), v, cache);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return WriteFile(path, bytes);
}

bool FrmMap::ExportSvg(const QString& path) {
  // The document shows what the window shows: the same centre, and the same
  // stretch of ground across the plot area.
  map::SvgOptions o;
  const map::PlotArea area = map::PlotAreaOf(o.width, o.height);
  const map::Viewport& v = canvas->view();
  o.useView = true;
  o.view = v;
  o.view.scale = v.scale * std::min(static_cast<double>(area.width) / v.width,
                                    static_cast<double>(area.height) / v.height);
  const std::string svg = map::MapSvg(grid_, &run_, &single_, o);
  return WriteFile(path, QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
}

void FrmMap::SaveAs(bool svg) {
  const QString path =
      chooseSavePath(Q(svg ? "SVG保存" : "PNG保存"), Q(svg ? "SVG図形 (*.svg)" : "PNG画像 (*.png)"),
                     Q(svg ? "変換パラメータ範囲図.svg" : "変換パラメータ範囲図.png"));
  if (path.isEmpty()) return;
  if (svg) {
    ExportSvg(path);
  } else {
    ExportPng(path);
  }
}

void FrmMap::PrintTo(QPrinter& printer) {
  QPainter p;
  if (!p.begin(&printer)) {
    messages_.Show("印刷できません。", "座標変換プログラム", MessageIcon::kWarning);
    return;
  }
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  // Draw at screen-like pixel sizes, scaled to the page: the same picture as
  // the window, fitted to the printable area.
  const double dpiScale = printer.resolution() / 96.0;
  const int w = static_cast<int>(page.width() / dpiScale);
  const int h = static_cast<int>(page.height() / dpiScale);
  p.scale(dpiScale, dpiScale);
  map::Viewport v = canvas->view();
  const double fit = std::min(static_cast<double>(w) / v.width, static_cast<double>(h) / v.height);
  v.scale *= fit;
  v.width = w;
  v.height = h;
  MapDrawCache cache;
  DrawMap(p, Scene(), v, cache);
  p.end();
}

void FrmMap::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(Q("印刷"));
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer);
}

}  // namespace varno::ui
