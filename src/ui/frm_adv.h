// The modeless conversion-method dialog frmAdv: grid with representative-point
// fallback, grid only (the start-up mode), or the representative point for
// every point.
#pragma once

#include <QWidget>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmAdv : public QWidget {
  Q_OBJECT
 public:
  // A dialog of `owner` (the main window), in its font.
  FrmAdv(ModuleState& state, QWidget& owner);

 signals:
  // The dialog was put away: by OK (the choice kept) or by its close box.
  void closed();

 protected:
  // The close box unloads the dialog: the choice is discarded and the mode
  // returns to grid only.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Centre();
  ModuleState& state_;
  QGroupBox* frm0;
  QRadioButton* optR3;
  QRadioButton* optR;
  QRadioButton* opt3;
  QPushButton* cmdClose;
};

}  // namespace varno::ui
