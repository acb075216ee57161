#include "ui/frm_printer.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPalette>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "text/files.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

constexpr const char* kTitle = "プリンタの設定";
constexpr const char* kPdfEntry = "PDF ファイル";
constexpr const char* kNote = "「印刷」はここで選んだプリンタに印刷します。";
constexpr const char* kNoPdfName = "PDF ファイルの名前を指定して下さい。";
constexpr const char* kNotAFile =
    "PDF ファイルには通常のファイルを指定して下さい。指定されたものは";

// Papers offered when the printer names none (a PDF file, an unknown printer):
// the usual Japanese office sizes first.
QList<QPageSize> StandardPapers() {
  QList<QPageSize> list;
  for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::A3, QPageSize::JisB5, QPageSize::JisB4,
                                   QPageSize::A5, QPageSize::Letter}) {
    list.append(QPageSize(id));
  }
  return list;
}

}  // namespace

FrmPrinter::FrmPrinter(QPrinter& printer, const QStringList& printers,
                       const QString& defaultPrinter, QWidget* parent)
    : QDialog(parent), printer_(printer) {
  setObjectName(QStringLiteral("frmPrinter"));
  setWindowTitle(Q(kTitle));

  cmbPrinter = new QComboBox(this);
  cmbPrinter->setObjectName(QStringLiteral("cmbPrinter"));
  cmbPrinter->addItems(printers);
  cmbPrinter->addItem(Q(kPdfEntry));
  txtPdfFile = new QLineEdit(this);
  txtPdfFile->setObjectName(QStringLiteral("txtPdfFile"));
  cmdPdfFile = new QPushButton(QStringLiteral("参照..."), this);
  cmdPdfFile->setObjectName(QStringLiteral("cmdPdfFile"));
  cmdPdfFile->setAutoDefault(false);
  auto* pdfRow = new QHBoxLayout;
  pdfRow->addWidget(txtPdfFile, 1);
  pdfRow->addWidget(cmdPdfFile);
  cmbPaper = new QComboBox(this);
  cmbPaper->setObjectName(QStringLiteral("cmbPaper"));

  auto* orientation = new QGroupBox(QStringLiteral("用紙の向き"), this);
  optPortrait = new QRadioButton(QStringLiteral("縦(&R)"), orientation);
  optPortrait->setObjectName(QStringLiteral("optPortrait"));
  optLandscape = new QRadioButton(QStringLiteral("横(&L)"), orientation);
  optLandscape->setObjectName(QStringLiteral("optLandscape"));
  auto* orientationRow = new QHBoxLayout(orientation);
  orientationRow->addWidget(optPortrait);
  orientationRow->addWidget(optLandscape);
  orientationRow->addStretch();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("プリンタ(&P):"), cmbPrinter);
  auto* pdfLabel = new QLabel(QStringLiteral("PDF ファイル(&F):"), this);
  pdfLabel->setBuddy(txtPdfFile);
  form->addRow(pdfLabel, pdfRow);
  form->addRow(QStringLiteral("用紙(&S):"), cmbPaper);

  lblNote = new QLabel(Q(kNote), this);
  lblNote->setObjectName(QStringLiteral("lblNote"));
  lblNote->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(this);
  cmdOk = buttons->addButton(QStringLiteral("このプリンタを使う"), QDialogButtonBox::AcceptRole);
  cmdOk->setObjectName(QStringLiteral("cmdOk"));
  cmdCancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdOk->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(orientation);
  layout->addWidget(lblNote);
  layout->addWidget(buttons);

  // The printer's present choice.
  int index = -1;
  // A PDF printer without a file is Qt's stand-in where no printer exists, not
  // a choice made here.
  if (printer.outputFormat() == QPrinter::PdfFormat &&
      (!printer.outputFileName().isEmpty() || printers.isEmpty())) {
    index = cmbPrinter->count() - 1;
    txtPdfFile->setText(printer.outputFileName());
  } else {
    index = cmbPrinter->findText(printer.printerName());
    if (index < 0) index = cmbPrinter->findText(defaultPrinter);
    if (index < 0) index = 0;
  }
  cmbPrinter->setCurrentIndex(index);
  const QPageLayout page = printer.pageLayout();
  (page.orientation() == QPageLayout::Landscape ? optLandscape : optPortrait)->setChecked(true);
  TargetChanged();
  const int paper = cmbPaper->findData(page.pageSize().id());
  if (paper >= 0) cmbPaper->setCurrentIndex(paper);

  connect(cmbPrinter, &QComboBox::currentIndexChanged, this, &FrmPrinter::TargetChanged);
  connect(txtPdfFile, &QLineEdit::textEdited, this, &FrmPrinter::ShowNote);
  connect(cmdPdfFile, &QPushButton::clicked, this, &FrmPrinter::ChoosePdfFile);
  connect(buttons, &QDialogButtonBox::accepted, this, &FrmPrinter::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FrmPrinter::reject);
}

bool FrmPrinter::pdfChosen() const {
  return cmbPrinter->currentIndex() == cmbPrinter->count() - 1;
}

void FrmPrinter::FillPapers() {
  // Keep the paper chosen so far where the new printer has it too.
  const QVariant previous = cmbPaper->currentData();
  QList<QPageSize> papers;
  if (!pdfChosen())
    papers = QPrinterInfo::printerInfo(cmbPrinter->currentText()).supportedPageSizes();
  if (papers.isEmpty()) papers = StandardPapers();
  cmbPaper->clear();
  for (const QPageSize& size : papers) cmbPaper->addItem(size.name(), size.id());
  int index = previous.isValid() ? cmbPaper->findData(previous) : -1;
  if (index < 0) index = cmbPaper->findData(QPageSize::A4);
  cmbPaper->setCurrentIndex(index < 0 ? 0 : index);
}

void FrmPrinter::TargetChanged() {
  const bool pdf = pdfChosen();
  txtPdfFile->setEnabled(pdf);
  cmdPdfFile->setEnabled(pdf);
  FillPapers();
  ShowNote();
}

void FrmPrinter::ShowNote() {
  lblNote->setText(Q(kNote));
  lblNote->setAutoFillBackground(false);
  lblNote->setPalette(QPalette());
}

void FrmPrinter::ChoosePdfFile() {
  const QString name = QFileDialog::getSaveFileName(this, Q(kPdfEntry), txtPdfFile->text(),
                                                    QStringLiteral("PDF (*.pdf)"));
  if (!name.isEmpty()) txtPdfFile->setText(name);
}

void FrmPrinter::accept() {
  const QString pdfName = txtPdfFile->text().trimmed();
  if (pdfChosen()) {
    if (pdfName.isEmpty()) {
      lblNote->setText(Q(kNoPdfName));
      SetStatusBackground(lblNote, colors::kDarkRed);
      txtPdfFile->setFocus();
      return;
    }
    // Never a FIFO (writing would wait for a reader), a device or a folder.
    if (const std::string kind = SpecialFileKind(U8(pdfName)); !kind.empty()) {
      lblNote->setText(Q(std::string(kNotAFile) + kind + "です。"));
      SetStatusBackground(lblNote, colors::kDarkRed);
      txtPdfFile->setFocus();
      return;
    }
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(pdfName);
  } else {
    printer_.setOutputFormat(QPrinter::NativeFormat);
    printer_.setPrinterName(cmbPrinter->currentText());
  }
  printer_.setPageSize(
      QPageSize(static_cast<QPageSize::PageSizeId>(cmbPaper->currentData().toInt())));
  printer_.setPageOrientation(optLandscape->isChecked() ? QPageLayout::Landscape
                                                        : QPageLayout::Portrait);
  QDialog::accept();
}

}  // namespace varno::ui
