// The splash window frmSplash: title, version, a logo, and the 300 ms timer
// whose first tick runs the start-up sequence.
#pragma once

#include <QFrame>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace varno::ui {

// A frame that reports a click on itself or on a label inside it.
class ClickFrame : public QFrame {
  Q_OBJECT
 public:
  using QFrame::QFrame;
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

class FrmSplash : public QWidget {
  Q_OBJECT
 public:
  explicit FrmSplash(QWidget* parent = nullptr);

  bool started() const { return started_; }

 signals:
  // Once, on the first tick of Timer1; later ticks do nothing.
  void firstTick();
  // Frame1 was clicked before the first tick: nothing is left to start, so
  // the program ends.
  void closedBeforeStart();

 private:
  // Controls, named as the rest of the program knows them.
  ClickFrame* Frame1;
  QLabel* imgLogo;
  QLabel* lblProductName;
  QLabel* lblVersion;
  QLabel* lblProduct;
  QLabel* lblCompany;
  QTimer* Timer1;

  void Tick();
  bool started_ = false;
};

// The logo drawn for the splash: a grid cell moved along an arrow.
QPixmap MakeLogo(int size);

}  // namespace varno::ui
