#include "ui/arrow_button.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace varno::ui {

ArrowButton::ArrowButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setFixedSize(sizeHint());
  setCursor(Qt::PointingHandCursor);
}

void ArrowButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, true);
  // The 60 x 22 image at (1, 1): a shaft and a head pointing right.
  const QPointF o(1, 1);
  QPainterPath arrow;
  arrow.moveTo(o + QPointF(3, 7));
  arrow.lineTo(o + QPointF(38, 7));
  arrow.lineTo(o + QPointF(38, 1));
  arrow.lineTo(o + QPointF(57, 11));
  arrow.lineTo(o + QPointF(38, 21));
  arrow.lineTo(o + QPointF(38, 15));
  arrow.lineTo(o + QPointF(3, 15));
  arrow.closeSubpath();
  if (isDown()) arrow.translate(1, 1);
  p.setPen(QPen(QColor(0, 0, 96), 1));
  p.setBrush(isEnabled() ? QColor(0, 64, 192) : QColor(160, 160, 160));
  p.drawPath(arrow);
  if (hasFocus()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, width() - 1, height() - 1);
  }
}

void ArrowButton::keyPressEvent(QKeyEvent* e) {
  // Enter clicks at once, as a press of the picture did; Space is the
  // button's own (press and release).
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    click();
    return;
  }
  QAbstractButton::keyPressEvent(e);
}

}  // namespace varno::ui
