// frmOutFile: the read-only viewer of the batch result file, and the
// procedure OpenOutFileView.
#pragma once

#include <string>

#include "ui/text_viewer.h"

class QAction;

namespace varno::ui {

class FrmOutFile : public TextViewer {
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

 protected:
  void Adjust(QString& text) override;

 private:
  QAction* mnuPrintList_;
  QAction* mnuClose_;
};

}  // namespace varno::ui
