#include "ui/frm_out_file.h"

#include <QMenuBar>

#include "ui/dialog_texts.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

// A character takes one or two bytes: more than this many bytes always hold
// the kShownLength characters shown, so a large result file is not read whole.
constexpr std::size_t kEnoughBytes = 2 * FrmOutFile::kShownLength + 2;

constexpr TextViewerLook kLook{"frmOutFile", dtext::kFrmOutFile,  kFontMincho,  true, true, 7000,
                               6000,         dtext::kNoMemoryOut, kEnoughBytes, false};

}  // namespace

FrmOutFile::FrmOutFile(MessageService& messages, QWidget* parent)
    : TextViewer(kLook, messages, parent) {
  setModal(false);
  mnuPrintList_ = bar()->addAction(Q(dtext::kMnuPrintList));
  mnuPrintList_->setObjectName(QStringLiteral("mnuPrintList"));
  mnuClose_ = bar()->addAction(Q(dtext::kMnuClose));
  mnuClose_->setObjectName(QStringLiteral("mnuClose"));
  connect(mnuPrintList_, &QAction::triggered, this, &FrmOutFile::PrintList);
  connect(mnuClose_, &QAction::triggered, this, [this] { close(); });
}

FrmOutFile::~FrmOutFile() = default;

void FrmOutFile::Adjust(QString& text) {
  // Lengths count characters of the file text, CR LF as two.
  if (text.size() < kWholeLimit) return;
  messages().Show(dtext::kOutTooLarge, dtext::kEditorTitle, MessageIcon::kInformation);
  text.truncate(kShownLength);
  if (text.size() < kShownLength) text += QString(kShownLength - text.size(), QLatin1Char(' '));
}

void FrmOutFile::OpenOutFileView(const std::string& path) {
  if (!LoadFile(path)) return;
  setWindowTitle(Q(dtext::kOutCaptionPrefix) + Q(path));
  PlaceAt(4500, 200);
  show();
  raise();
}

}  // namespace varno::ui
