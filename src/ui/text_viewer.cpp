#include "ui/text_viewer.h"

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

// Window positions are given in twips (1/1440 inch); 15 twips per pixel at
// 96 dots per inch.
constexpr int Twips(int t) {
  return t / 15;
}

}  // namespace

TextViewer::TextViewer(const TextViewerLook& look, MessageService& messages, QWidget* parent)
    : QDialog(parent), look_(look), messages_(messages) {
  setObjectName(QLatin1String(look.objectName));
  setWindowTitle(Q(look.designCaption));
  choosePrinter = [this](QPrinter& p) { return RunPrintDialog(p, this); };

  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("menuBar"));
  txtEdit_ = new QPlainTextEdit(this);
  txtEdit_->setObjectName(QStringLiteral("txtEdit"));
  txtEdit_->setReadOnly(look.readOnly);
  txtEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font(QString::fromUtf8(look.fontFamily));
  font.setPointSizeF(9.75);
  if (look.fixedPitch) font.setFixedPitch(true);
  txtEdit_->setFont(font);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(txtEdit_);
  resize(Twips(look.widthTwips), Twips(look.heightTwips));
}

TextViewer::~TextViewer() = default;

QPrinter& TextViewer::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

QString TextViewer::text() const {
  return txtEdit_->toPlainText();
}

bool TextViewer::LoadFile(const std::string& path) {
  try {
    FileFailure failure;
    const std::optional<std::string> bytes = ReadFileBytes(path, failure, look_.readLimit);
    if (!bytes) {
      if (look_.restoreCursorOnFailure) QApplication::restoreOverrideCursor();
      messages_.Show(
          std::string(dtext::kOpenError) + failure.description + SpacedNumber(failure.number),
          dtext::kEditorTitle, MessageIcon::kWarning);
      return false;
    }
    QString text = Q(Cp932ToUtf8(*bytes));
    Adjust(text);
    txtEdit_->setPlainText(ToEditorText(text));
  } catch (const std::bad_alloc&) {
    if (look_.restoreCursorOnFailure) QApplication::restoreOverrideCursor();
    txtEdit_->clear();
    messages_.Show(std::string(dtext::kNoMemoryHead) + look_.noMemoryText, dtext::kEditorTitle,
                   MessageIcon::kInformation);
    return false;
  }
  return true;
}

void TextViewer::PlaceAt(int xTwips, int yTwips) {
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QPoint origin = screen->availableGeometry().topLeft();
    move(origin + QPoint(Twips(xTwips), Twips(yTwips)));
  }
  resize(Twips(look_.widthTwips), height());
}

void TextViewer::Unload() {
  txtEdit_->clear();
  setWindowTitle(Q(look_.designCaption));
}

void TextViewer::done(int result) {
  Unload();
  QDialog::done(result);
}

void TextViewer::PrintList() {
  QPrinter& p = printer();
  if (!choosePrinter(p)) return;
  PrintPlainText(txtEdit_->toPlainText(), p, messages_);
}

}  // namespace varno::ui
