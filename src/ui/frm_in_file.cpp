#include "ui/frm_in_file.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSaveFile>

#include "codec/cp932.h"
#include "state/module_state.h"
#include "text/errors.h"
#include "text/version.h"
#include "ui/dialog_texts.h"
#include "ui/file_text.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

constexpr TextViewerLook kLook{
    "frmInFile", dtext::kFrmInFile,  kFontPMincho,      false, false, 4000,
    4500,        dtext::kNoMemoryIn, std::string::npos, true};

QAction* NamedAction(QMenu* menu, const char* caption, const char* name) {
  QAction* a = menu->addAction(Q(caption));
  a->setObjectName(QLatin1String(name));
  return a;
}

}  // namespace

FrmInFile::FrmInFile(ModuleState& state, MessageService& messages, QWidget* parent)
    : TextViewer(kLook, messages, parent), state_(state) {
  showModal = [](QDialog& d) { d.exec(); };

  mnuFile_ = bar()->addMenu(Q(dtext::kMnuFile));
  mnuFile_->setObjectName(QStringLiteral("mnuFile"));
  mnuFileItem_[0] = NamedAction(mnuFile_, dtext::kMnuFileSave, "mnuFileItem0");
  mnuFileItem_[1] = NamedAction(mnuFile_, dtext::kMnuFileClose, "mnuFileItem1");
  mnuEdit_ = bar()->addMenu(Q(dtext::kMnuEdit));
  mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));
  mnuEditItem_[0] = NamedAction(mnuEdit_, dtext::kMnuEditCut, "mnuEditItem0");
  mnuEditItem_[1] = NamedAction(mnuEdit_, dtext::kMnuEditCopy, "mnuEditItem1");
  mnuEditItem_[2] = NamedAction(mnuEdit_, dtext::kMnuEditPaste, "mnuEditItem2");
  mnuPrintList_ = bar()->addAction(Q(dtext::kMnuPrintList));
  mnuPrintList_->setObjectName(QStringLiteral("mnuPrintList"));

  connect(mnuFileItem_[0], &QAction::triggered, this,
          [this] { SaveEditFile(state_.files.inFilePath); });
  connect(mnuFileItem_[1], &QAction::triggered, this, [this] { close(); });
  connect(mnuEdit_, &QMenu::aboutToShow, this, &FrmInFile::UpdateEditMenu);
  connect(mnuEditItem_[0], &QAction::triggered, this, [this] {
    QApplication::clipboard()->clear();
    edit()->cut();
  });
  connect(mnuEditItem_[1], &QAction::triggered, this, [this] {
    QApplication::clipboard()->clear();
    edit()->copy();
  });
  connect(mnuEditItem_[2], &QAction::triggered, edit(), &QPlainTextEdit::paste);
  connect(mnuPrintList_, &QAction::triggered, this, &FrmInFile::PrintList);
}

FrmInFile::~FrmInFile() = default;

void FrmInFile::UpdateEditMenu() {
  const bool selected = edit()->textCursor().hasSelection();
  mnuEditItem_[0]->setEnabled(selected);
  mnuEditItem_[1]->setEnabled(selected);
  mnuEditItem_[2]->setEnabled(true);
}

void FrmInFile::OpenInFileView(const std::string& path) {
  const QString caption = Q(dtext::kInCaptionPrefix) + Q(path);
  if (windowTitle() == caption) return;
  if (!LoadFile(path)) return;
  setWindowTitle(caption);
  PlaceAt(500, 570);
  showModal(*this);
}

bool FrmInFile::SaveEditFile(const std::string& path) {
  const QString qpath = Q(path);
  if (QFileInfo::exists(qpath) &&
      !messages().AskYesNo(dtext::kOverwrite, kProgramTitle, MessageIcon::kQuestion, true)) {
    return false;
  }
  // The file always ends with exactly one line break, so saving again does
  // not add an empty line each time.
  QString text = ToFileText(edit()->toPlainText());
  if (!text.endsWith(QLatin1String("\r\n"))) text += QLatin1String("\r\n");
  std::string bytes;
  try {
    bytes = Utf8ToCp932(text.toStdString());
  } catch (const VarnoError& e) {
    messages().Show(std::string(dtext::kSaveNotCp932) + "\r" + e.description(), kProgramTitle,
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
    messages().Show(std::string(dtext::kSaveError) + description, kProgramTitle,
                    MessageIcon::kWarning);
    return false;
  }
  return true;
}

}  // namespace varno::ui
