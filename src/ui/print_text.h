// The viewers' "印刷": the whole text in "ＭＳ 明朝" 11 pt, broken into lines
// and pages by the printer.
#pragma once

#include <QString>

#include "text/report.h"

class QPrinter;
class QWidget;

namespace varno::ui {

// Prints `text` on `printer`. A failing step shows the printing message and
// printing goes on with the next step. True when every step succeeded.
bool PrintPlainText(const QString& text, QPrinter& printer, MessageService& messages);

// The system printer dialog (it offers printing to a PDF file as well).
// False when the user cancels it.
bool RunPrintDialog(QPrinter& printer, QWidget* parent);

}  // namespace varno::ui
