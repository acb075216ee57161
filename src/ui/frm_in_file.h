// frmInFile: the editor of the batch input file (cut, copy, paste, save,
// print), and the procedures OpenInFileView and SaveEditFile.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "ui/text_viewer.h"

class QAction;
class QMenu;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmInFile : public TextViewer {
  Q_OBJECT
 public:
  FrmInFile(ModuleState& state, MessageService& messages, QWidget* parent = nullptr);
  ~FrmInFile() override;

  // Loads the file and shows the editor modal, unless it already shows it.
  void OpenInFileView(const std::string& path);
  // Writes the editor's text to `path` in CP932 with CR LF, after the
  // overwrite question when the file exists. True when written.
  bool SaveEditFile(const std::string& path);

  // How the window is shown modal (exec); tests show it without blocking.
  std::function<void(QDialog&)> showModal;

 private:
  void UpdateEditMenu();

  ModuleState& state_;
  QMenu* mnuFile_;
  std::array<QAction*, 2> mnuFileItem_{};  // 保存, 閉じる
  QMenu* mnuEdit_;
  std::array<QAction*, 3> mnuEditItem_{};  // 切り取り, ｺﾋﾟｰ, 貼り付け
  QAction* mnuPrintList_;
};

}  // namespace varno::ui
