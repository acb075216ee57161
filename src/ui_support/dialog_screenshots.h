// Screenshots of the batch dialog, the viewers and the help window, and the
// printed result page as a PDF, for `make screenshots`.
#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmMain;

// Shows `w`, lets it paint, and saves it as `dir`/`name`.png; says which
// file was written (or not) on the console.
bool SaveScreenshot(QWidget& w, const QDir& dir, const char* name);

// Writes frmFile.png, frmInFile.png, frmFile_chosen.png, frmFile_done.png
// (after a run of a sample file), frmOutFile.png, frmFormat.png and
// result_page.pdf (the main window's point) into `dir`. False when a file
// could not be written.
bool RenderDialogScreenshots(const QString& dir, ModuleState& state, FrmMain& main);

// Writes frmPrinter.png (the printer set-up) and Qt's own dialogs and menus as
// the program shows them: qtMessageBox, qtFileDialog, qtPrintDialog,
// qtContextMenu (of a text box).
bool RenderStandardDialogs(const QString& dir, FrmMain& main);

}  // namespace varno::ui
