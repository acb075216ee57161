#include "ui/frm_in_file.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QVBoxLayout>
#include <new>

#include "state/module_state.h"
#include "codec/cp932.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/version.h"
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

FrmInFile::FrmInFile(ModuleState& state, MessageService& messages, QWidget* parent)
    : QDialog(parent), state_(state), messages_(messages) {
  setObjectName(QStringLiteral("frmInFile"));
  setWindowTitle(Q(dtext::kFrmInFile));
  showModal = [](QDialog& d) { d.exec(); };
  choosePrinter = [this](QPrinter& p) { return RunPrintDialog(p, this); };

  menuBar = new QMenuBar(this);
  mnuFile = menuBar->addMenu(Q(dtext::kMnuFile));
  mnuFileItem[0] = mnuFile->addAction(Q(dtext::kMnuFileSave));
  mnuFileItem[1] = mnuFile->addAction(Q(dtext::kMnuFileClose));
  mnuEdit = menuBar->addMenu(Q(dtext::kMnuEdit));
  mnuEditItem[0] = mnuEdit->addAction(Q(dtext::kMnuEditCut));
  mnuEditItem[1] = mnuEdit->addAction(Q(dtext::kMnuEditCopy));
  mnuEditItem[2] = mnuEdit->addAction(Q(dtext::kMnuEditPaste));
  mnuPrintList = menuBar->addAction(Q(dtext::kMnuPrintList));

  txtEdit = new QPlainTextEdit(this);
  txtEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font(QString::fromUtf8(kFontPMincho));
  font.setPointSizeF(9.75);
  txtEdit->setFont(font);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(menuBar);
  layout->addWidget(txtEdit);
  resize(Twips(4000), Twips(4500));

  connect(mnuFileItem[0], &QAction::triggered, this,
          [this] { SaveEditFile(state_.files.inFilePath); });
  connect(mnuFileItem[1], &QAction::triggered, this, [this] { close(); });
  connect(mnuEdit, &QMenu::aboutToShow, this, &FrmInFile::UpdateEditMenu);
  connect(mnuEditItem[0], &QAction::triggered, this, [this] {
    QApplication::clipboard()->clear();
    txtEdit->cut();
  });
  connect(mnuEditItem[1], &QAction::triggered, this, [this] {
    QApplication::clipboard()->clear();
    txtEdit->copy();
  });
  connect(mnuEditItem[2], &QAction::triggered, txtEdit, &QPlainTextEdit::paste);
  connect(mnuPrintList, &QAction::triggered, this, &FrmInFile::PrintList);
}

FrmInFile::~FrmInFile() = default;

QPrinter& FrmInFile::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void FrmInFile::UpdateEditMenu() {
  const bool selected = txtEdit->textCursor().hasSelection();
  mnuEditItem[0]->setEnabled(selected);
  mnuEditItem[1]->setEnabled(selected);
  mnuEditItem[2]->setEnabled(true);
}

void FrmInFile::OpenInFileView(const std::string& path) {
  const QString caption = Q(dtext::kInCaptionPrefix) + Q(path);
  if (windowTitle() == caption) return;
  try {
    FileFailure failure;
    const std::optional<std::string> bytes = ReadFileBytes(path, failure);
    if (!bytes) {
      QApplication::restoreOverrideCursor();
      messages_.Show(
          std::string(dtext::kOpenError) + failure.description + SpacedNumber(failure.number),
          dtext::kEditorTitle, MessageIcon::kWarning);
      return;
    }
    txtEdit->setPlainText(ToEditorText(Q(Cp932ToUtf8(*bytes))));
  } catch (const std::bad_alloc&) {
    QApplication::restoreOverrideCursor();
    txtEdit->clear();
    messages_.Show(std::string(dtext::kNoMemoryHead) + dtext::kNoMemoryIn, dtext::kEditorTitle,
                   MessageIcon::kInformation);
    return;
  }
  setWindowTitle(caption);
  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QPoint origin = screen->availableGeometry().topLeft();
    move(origin + QPoint(Twips(500), Twips(570)));
  }
  resize(Twips(4000), height());
  showModal(*this);
}

bool FrmInFile::SaveEditFile(const std::string& path) {
  const QString qpath = Q(path);
  if (QFileInfo::exists(qpath) &&
      !messages_.AskYesNo(dtext::kOverwrite, kProgramTitle, MessageIcon::kQuestion, true)) {
    return false;
  }
  // The file always ends with exactly one line break, so saving again does
  // not add an empty line each time.
  QString text = ToFileText(txtEdit->toPlainText());
  if (!text.endsWith(QLatin1String("\r\n"))) text += QLatin1String("\r\n");
  std::string bytes;
  try {
    bytes = Utf8ToCp932(text.toStdString());
  } catch (const VarnoError& e) {
    messages_.Show(std::string(dtext::kSaveNotCp932) + "\r" + e.description(), kProgramTitle,
                   MessageIcon::kWarning);
    return false;
  }
  // Written to a temporary file and renamed at the end: a failed write leaves
  // the old file as it was.
  QSaveFile file(qpath);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()) ||
      !file.commit()) {
    const std::string description = U8(file.errorString());
    file.cancelWriting();
    messages_.Show(std::string(dtext::kSaveError) + description, kProgramTitle,
                   MessageIcon::kWarning);
    return false;
  }
  return true;
}

void FrmInFile::Unload() {
  txtEdit->clear();
  setWindowTitle(Q(dtext::kFrmInFile));
}

void FrmInFile::done(int result) {
  Unload();
  QDialog::done(result);
}

void FrmInFile::PrintList() {
  QPrinter& p = printer();
  if (!choosePrinter(p)) return;
  PrintPlainText(txtEdit->toPlainText(), p, messages_);
}

}  // namespace varno::ui
