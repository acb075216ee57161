#include "ui/frm_out_file.h"

#include <QApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScreen>
#include <QVBoxLayout>
#include <new>

#include "codec/cp932.h"
#include "text/format.h"
#include "ui/dialog_texts.h"
#include "ui/file_text.h"
#include "ui/message_service.h"
#include "ui/print_text.h"

namespace varno::ui {

namespace {

constexpr int Twips(int t) {
  return t / 15;
}

}  // namespace

FrmOutFile::FrmOutFile(MessageService& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
  setObjectName(QStringLiteral("frmOutFile"));
  setWindowTitle(Q(dtext::kFrmOutFile));
  setModal(false);
  choosePrinter = [this](QPrinter& p) { return RunPrintDialog(p, this); };

  menuBar = new QMenuBar(this);
  mnuPrintList = menuBar->addAction(Q(dtext::kMnuPrintList));
  mnuClose = menuBar->addAction(Q(dtext::kMnuClose));

  txtEdit = new QPlainTextEdit(this);
  txtEdit->setReadOnly(true);
  txtEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font(QString::fromUtf8(kFontMincho));
  font.setPointSizeF(9.75);
  font.setFixedPitch(true);
  txtEdit->setFont(font);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menuBar);
  layout->addWidget(txtEdit);
  resize(Twips(7000), Twips(6000));

  connect(mnuPrintList, &QAction::triggered, this, &FrmOutFile::PrintList);
  connect(mnuClose, &QAction::triggered, this, [this] { close(); });
}

FrmOutFile::~FrmOutFile() = default;

QPrinter& FrmOutFile::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void FrmOutFile::OpenOutFileView(const std::string& path) {
  try {
    FileFailure failure;
    // A character takes one or two bytes: more than this many bytes always
    // hold the kShownLength characters shown, so a large result file is not
    // read whole.
    constexpr std::size_t kEnoughBytes = 2 * kShownLength + 2;
    const std::optional<std::string> bytes = ReadFileBytes(path, failure, kEnoughBytes);
    if (!bytes) {
      messages_.Show(
          std::string(dtext::kOpenError) + failure.description + SpacedNumber(failure.number),
          dtext::kEditorTitle, MessageIcon::kWarning);
      return;
    }
    // Lengths count characters of the file text, CR LF as two.
    QString text = Q(Cp932ToUtf8(*bytes));
    if (text.size() >= kWholeLimit) {
      messages_.Show(dtext::kOutTooLarge, dtext::kEditorTitle, MessageIcon::kInformation);
      text.truncate(kShownLength);
      if (text.size() < kShownLength) text += QString(kShownLength - text.size(), QLatin1Char(' '));
    }
    txtEdit->setPlainText(ToEditorText(text));
  } catch (const std::bad_alloc&) {
    txtEdit->clear();
    messages_.Show(std::string(dtext::kNoMemoryHead) + dtext::kNoMemoryOut, dtext::kEditorTitle,
                   MessageIcon::kInformation);
    return;
  }
  setWindowTitle(Q(dtext::kOutCaptionPrefix) + Q(path));
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QPoint origin = screen->availableGeometry().topLeft();
    move(origin + QPoint(Twips(4500), Twips(200)));
  }
  resize(Twips(7000), height());
  show();
  raise();
}

void FrmOutFile::Unload() {
  txtEdit->clear();
  setWindowTitle(Q(dtext::kFrmOutFile));
}

void FrmOutFile::done(int result) {
  Unload();
  QDialog::done(result);
}

void FrmOutFile::PrintList() {
  QPrinter& p = printer();
  if (!choosePrinter(p)) return;
  PrintPlainText(txtEdit->toPlainText(), p, messages_);
}

}  // namespace varno::ui
