// The window 変換パラメータ範囲図: where the grid has parameters, and where the
// last single point and the points of the last batch run fall. Zoom with the
// wheel, pan by dragging, fit to the grid or the points, hover for details,
// export PNG and SVG, print on one page.
#pragma once

#include <QWidget>
#include <functional>

#include "map/model.h"
#include "map/view.h"
#include "text/report.h"
#include "ui/map_draw.h"

class QLabel;
class QPrinter;
class QPushButton;

namespace varno::params {
struct ParamStore;
}

namespace varno::ui {

// The picture itself.
class MapCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit MapCanvas(QWidget* parent = nullptr);

  void SetScene(const MapScene& scene);
  const map::Viewport& view() const { return view_; }
  void SetView(const map::Viewport& v);
  // Fits the view to `b` (the grid, or the points).
  void FitTo(const map::Bounds& b);
  // The tooltip (rich text) for the pixel, empty when nothing is there.
  QString TooltipAt(QPointF pos) const;
  // What the status line shows for the pixel: world X/Y and the cell's class.
  QString PositionText(QPointF pos) const;

 signals:
  void positionChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  MapScene scene_;
  map::Viewport view_;
  MapDrawCache cache_;
  bool dragging_ = false;
  QPointF lastPos_;
};

class FrmMap : public QWidget {
  Q_OBJECT
 public:
  // `run` and `single` are read again by Refresh(); they and `store` outlive
  // the window.
  FrmMap(const params::ParamStore& store, const map::RunPoints& run, const map::SinglePoint& single,
         MessageService& messages, QWidget* parent = nullptr);
  ~FrmMap() override;

  // Takes the latest run and single point; with `fit` shows the grid and
  // every point, else keeps the view.
  void Refresh(bool fit);
  void FitAll();
  void FitGrid();
  void FitPoints();
  // Writes the picture as the window shows it; false (and a message) on failure.
  bool ExportPng(const QString& path);
  bool ExportSvg(const QString& path);
  // One page: the picture fitted to the printable area, legend included.
  void PrintTo(QPrinter& printer);

  // The save dialog; tests replace it. Returns the chosen path or empty.
  std::function<QString(const QString& caption, const QString& filter, const QString& proposed)>
      chooseSavePath;

  const map::GridModel& grid() const { return grid_; }

 private:
  // Controls, named as the rest of the program knows them.
  MapCanvas* canvas;
  QPushButton* cmdFitGrid;
  QPushButton* cmdFitPoints;
  QPushButton* cmdPng;
  QPushButton* cmdSvg;
  QPushButton* cmdPrint;
  QPushButton* cmdClose;
  QLabel* lblPosition;

  void SaveAs(bool svg);
  void Print();
  bool WriteFile(const QString& path, const QByteArray& bytes);
  MapScene Scene() const;

  const params::ParamStore& store_;
  const map::RunPoints& run_;
  const map::SinglePoint& single_;
  MessageService& messages_;
  map::GridModel grid_;
};

}  // namespace varno::ui
