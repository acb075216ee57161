// Screenshots of the batch dialog, the viewers and the help window, and the
// printed result page as a PDF, for `make screenshots`.
#pragma once

#include <QString>

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmMain;

// Writes frmFile.png, frmInFile.png, frmFile_chosen.png, frmFile_done.png
// (after a run of a sample file), frmOutFile.png, frmFormat.png and
// result_page.pdf (the main window's point) into `dir`. False when a file
// could not be written.
bool RenderDialogScreenshots(const QString& dir, ModuleState& state, FrmMain& main);

}  // namespace varno::ui
