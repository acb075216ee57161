// 設定 → プリンタ: chooses where 印刷 prints (a printer, or a PDF file), the
// paper and its orientation. Nothing is printed here; the choice is written
// into the main window's printer only when the user confirms it.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace varno::ui {

class FrmPrinter : public QDialog {
  Q_OBJECT

 public:
  // `printers`: the printers the system offers (QPrinterInfo in the program);
  // `defaultPrinter` is selected when `printer` has none yet.
  FrmPrinter(QPrinter& printer, const QStringList& printers, const QString& defaultPrinter,
             QWidget* parent = nullptr);

  // Writes the choice into the printer and closes; with a PDF file as target
  // and no file name, says so and stays open.
  void accept() override;

  // True when the PDF entry (the last one of cmbPrinter) is selected.
  bool pdfChosen() const;

 private:
  // Controls, named as the rest of the program knows them.
  QComboBox* cmbPrinter;
  QLineEdit* txtPdfFile;
  QPushButton* cmdPdfFile;
  QComboBox* cmbPaper;
  QRadioButton* optPortrait;
  QRadioButton* optLandscape;
  QLabel* lblNote;
  QPushButton* cmdOk;
  QPushButton* cmdCancel;

  void FillPapers();
  void TargetChanged();
  void ChoosePdfFile();
  void ShowNote();

  QPrinter& printer_;
};

}  // namespace varno::ui
