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

class FrmMain;

class FrmAdv : public QWidget {
  Q_OBJECT
 public:
  FrmAdv(ModuleState& state, FrmMain& main);

  QGroupBox* frm0;
  QRadioButton* optR3;
  QRadioButton* optR;
  QRadioButton* opt3;
  QPushButton* cmdClose;

 protected:
  // The close box unloads the dialog: the choice is discarded and the mode
  // returns to grid only.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Centre();
  ModuleState& state_;
  FrmMain& main_;
};

}  // namespace varno::ui
