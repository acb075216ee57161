#include "ui/print_text.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

#include "text/version.h"
#include "ui/dialog_texts.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

void Fail(MessageService& messages) {
  messages.Show(dtext::kPrintFailed, kProgramTitle, MessageIcon::kCritical);
}

}  // namespace

bool PrintPlainText(const QString& text, QPrinter& printer, MessageService& messages) {
  bool ok = true;
  // Step 1: the printer and its font.
  if (!printer.isValid()) {
    Fail(messages);
    ok = false;
  }
  QTextDocument doc;
  QFont font(QString::fromUtf8(kFontMincho));
  font.setPointSizeF(11.0);
  font.setFixedPitch(true);
  doc.setDefaultFont(font);
  doc.setPlainText(text);
  // Step 2: the text; the document breaks it into lines and pages. Step 3,
  // ending the document, is part of the same call.
  if (printer.isValid()) {
    doc.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
      Fail(messages);
      ok = false;
    }
  }
  return ok;
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace varno::ui
