// frmFormat: the help window that explains the batch input files and how to
// read the result file. Modeless; cmdClose only hides it.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace varno::ui {

class FrmFormat : public QDialog {
  Q_OBJECT
 public:
  explicit FrmFormat(QWidget* parent = nullptr);

  // Shows the window modeless and brings it to the front.
  void ShowModeless();

 private:
  // Controls, named as the rest of the program knows them.
  QLabel* lblDai;
  QLabel* Label1;
  QPlainTextEdit* Text1;
  QLabel* Label2;
  QPlainTextEdit* Text2;
  QLabel* Label4;
  QPlainTextEdit* Text4;  // CSV and SIMA files
  QLabel* Label3;
  QPlainTextEdit* Text3;
  QPushButton* cmdClose;
};

}  // namespace varno::ui
