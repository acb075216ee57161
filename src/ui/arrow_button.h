// The picture button between the two groups of the main window: a 60 x 22
// arrow pointing from the pre- to the post-earthquake group, with a
// single-line border while it has the focus. A click, Space or Enter clicks it.
#pragma once

#include <QAbstractButton>

namespace varno::ui {

class ArrowButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ArrowButton(QWidget* parent = nullptr);
  QSize sizeHint() const override { return QSize(62, 24); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
};

}  // namespace varno::ui
