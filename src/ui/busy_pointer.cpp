#include "ui/busy_pointer.h"

#include <QApplication>

namespace varno::ui {

void BusyPointer::Set(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace varno::ui
