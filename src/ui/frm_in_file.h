// frmInFile: the editor of the batch input file (cut, copy, paste, save,
// print), and the procedures OpenInFileView and SaveEditFile.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "text/report.h"

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPrinter;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmInFile : public QDialog {
  Q_OBJECT
 public:
  FrmInFile(ModuleState& state, MessageService& messages, QWidget* parent = nullptr);
  ~FrmInFile() override;

  // Loads the file and shows the editor modal, unless it already shows it.
  void OpenInFileView(const std::string& path);
  // Writes the editor's text to `path` in CP932 with CR LF, after the
  // overwrite question when the file exists. True when written.
  bool SaveEditFile(const std::string& path);
  // "閉じる": empties the editor and returns to the design caption, so the
  // next OpenInFileView loads the file again.
  void Unload();

  // How the window is shown modal (exec); tests show it without blocking.
  std::function<void(QDialog&)> showModal;
  // The printer dialog; false cancels the printing.
  std::function<bool(QPrinter&)> choosePrinter;
  QPrinter& printer();

  QMenuBar* menuBar;
  QMenu* mnuFile;
  std::array<QAction*, 2> mnuFileItem{};  // 保存, 閉じる
  QMenu* mnuEdit;
  std::array<QAction*, 3> mnuEditItem{};  // 切り取り, ｺﾋﾟｰ, 貼り付け
  QAction* mnuPrintList;
  QPlainTextEdit* txtEdit;

 public slots:
  // Every way of closing the window (閉じる, Esc, the title bar) unloads it.
  void done(int result) override;

 private:
  void UpdateEditMenu();
  void PrintList();

  ModuleState& state_;
  MessageService& messages_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace varno::ui
