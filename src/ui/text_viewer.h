// The common part of the two text windows of the batch dialog (the input
// editor frmInFile and the result viewer frmOutFile): a menu bar over an
// unwrapped text box, loading a CP932 file into it, printing its text, and
// returning to the design caption when closed.
#pragma once

#include <QDialog>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "text/report.h"

class QMenuBar;
class QPlainTextEdit;
class QPrinter;

namespace varno::ui {

// What tells the two windows apart.
struct TextViewerLook {
  const char* objectName;
  const char* designCaption;
  const char* fontFamily;
  bool fixedPitch;
  bool readOnly;
  int widthTwips;
  int heightTwips;
  // The message text after the no-memory head when a file does not fit.
  const char* noMemoryText;
  // Reads at most this many bytes of a file (npos: the whole file).
  std::size_t readLimit;
  // The busy pointer of the caller is taken down before a failure message.
  bool restoreCursorOnFailure;
};

class TextViewer : public QDialog {
  Q_OBJECT
 public:
  ~TextViewer() override;

  // The printer dialog; false cancels the printing. Tests replace it.
  std::function<bool(QPrinter&)> choosePrinter;
  QPrinter& printer();

  // The text shown (line breaks as LF).
  QString text() const;
  // Empties the text and returns to the design caption.
  void Unload();

 public slots:
  // Every way of closing the window (its menu, Esc, the title bar) unloads it.
  void done(int result) override;

 protected:
  TextViewer(const TextViewerLook& look, MessageService& messages, QWidget* parent);

  // Reads `path` (CP932) into the text box, passing the text through
  // `Adjust` first. A failure is reported and gives false, the text box
  // emptied when the file did not fit in memory.
  bool LoadFile(const std::string& path);
  // What a window changes in a file's text before showing it (CR LF kept).
  virtual void Adjust(QString& /*text*/) {}
  // Moves the window to `x`, `y` twips from the screen's corner and gives it
  // its design width.
  void PlaceAt(int xTwips, int yTwips);
  // "印刷": the printer dialog, then the text.
  void PrintList();

  QMenuBar* bar() const { return menuBar_; }
  QPlainTextEdit* edit() const { return txtEdit_; }
  MessageService& messages() { return messages_; }

 private:
  const TextViewerLook look_;
  MessageService& messages_;
  std::unique_ptr<QPrinter> printer_;
  QMenuBar* menuBar_;
  QPlainTextEdit* txtEdit_;
};

}  // namespace varno::ui
