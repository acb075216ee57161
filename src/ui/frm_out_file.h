// frmOutFile: the read-only viewer of the batch result file, and the
// procedure OpenOutFileView.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "text/report.h"

class QAction;
class QMenuBar;
class QPlainTextEdit;
class QPrinter;

namespace varno::ui {

class FrmOutFile : public QDialog {
  Q_OBJECT
 public:
  explicit FrmOutFile(MessageService& messages, QWidget* parent = nullptr);
  ~FrmOutFile() override;

  // Files of this many characters or more are shown cut or padded to
  // kShownLength characters, with a message.
  static constexpr int kWholeLimit = 16000;
  static constexpr int kShownLength = 32000;

  // Loads the result file and shows the viewer modeless. The file is read
  // again even when the viewer already shows that path: a new run may have
  // rewritten it.
  void OpenOutFileView(const std::string& path);
  void Unload();

  std::function<bool(QPrinter&)> choosePrinter;
  QPrinter& printer();

  QMenuBar* menuBar;
  QAction* mnuPrintList;
  QAction* mnuClose;
  QPlainTextEdit* txtEdit;

 public slots:
  void done(int result) override;

 private:
  void PrintList();

  MessageService& messages_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace varno::ui
