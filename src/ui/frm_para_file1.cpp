#include "ui/frm_para_file1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <exception>

#include "state/module_state.h"
#include "text/files.h"
#include "text/paths.h"
#include "text/version.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::ui {

void LockZoneList(QComboBox& list, int zoneNo) {
  const int index = params::ZoneListIndex(static_cast<int16_t>(zoneNo));
  list.setCurrentIndex(index);
  list.setEnabled(index < 0);
}

QStringList ItemTexts(const QComboBox& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i) items.push_back(list.itemText(i));
  return items;
}

FrmParaFile1::FrmParaFile1(ModuleState& state, MessageService& messages, QWidget* parent)
    : QDialog(parent), state_(state), messages_(messages) {
  setObjectName(QStringLiteral("frmParaFile1"));
  setWindowTitle(Q(text::kParaFileCaption));
  setModal(true);
  setFixedSize(520, 200);
  QFont body(QString::fromUtf8(kFontPGothic));
  body.setPointSizeF(9);
  setFont(body);

  lblStatus = new QLabel(Q(text::kLoadStatusInitial), this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setTextFormat(Qt::PlainText);  // shows the file's path
  QFont gothic(QString::fromUtf8(kFontGothic));
  gothic.setPointSizeF(9);
  lblStatus->setFont(gothic);
  lblStatus->setGeometry(10, 10, 500, 100);
  lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lblStatus->setMargin(3);
  lblStatus->setWordWrap(true);
  lblStatus->setAutoFillBackground(true);
  SetStatusColor(colors::kLightCyan);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setGeometry(10, 118, 380, 20);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);

  lblLine = new QLabel(this);
  lblLine->setObjectName(QStringLiteral("lblLine"));
  lblLine->setGeometry(400, 118, 110, 20);
  lblLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  cmdBreak = new QPushButton(Q(text::kCmdBreak), this);
  cmdBreak->setObjectName(QStringLiteral("cmdBreak"));
  cmdBreak->setToolTip(Q(text::kCmdBreakTip));
  cmdBreak->setGeometry(280, 154, 110, 32);
  cmdBreak->setAutoDefault(false);
  cmdClose = new QPushButton(Q(text::kCmdCloseLoad), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setGeometry(400, 154, 110, 32);
  cmdClose->setDefault(true);

  connect(cmdBreak, &QPushButton::clicked, this, &FrmParaFile1::Break);
  connect(cmdClose, &QPushButton::clicked, this, &FrmParaFile1::CloseWindow);
}

FrmParaFile1::~FrmParaFile1() {
  SetBusy(false);
}

int FrmParaFile1::RunModal() {
  QTimer::singleShot(0, this, &FrmParaFile1::LoadStep);
  return exec();
}

void FrmParaFile1::LoadStep() {
  // 1. Centre on the screen.
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect r = s->availableGeometry();
    move(r.center() - QPoint(width() / 2, height() / 2));
  }
  // 2.
  ProgressBar1->setValue(0);
  cmdBreak->setVisible(false);
  // 3. Test the file.
  const std::string& path = state_.store.paraFilePath;
  // Only a regular file that opens: a FIFO by that name would keep the
  // opening waiting for a writer, and a device would never end.
  if (FileProblem problem; !CanReadRegularFile(path, problem)) {
    messages_.Show(std::string(text::kOpenFail1) + "\r" + text::kOpenFail2, kProgramTitle,
                   MessageIcon::kCritical);
    state_.cancelRequested = true;
    return;
  }
  // 4.
  SetStatusColor(colors::kLightCyan);
  SetStatusText(std::string(text::kOpenedPrefix) + StripExtension(path) + text::kOpenedSuffix);
  // 5., 6. The reading; closing the window waits until it has ended.
  cmdBreak->setVisible(true);
  reading_ = true;
  pacer_.Restart();
  cmdClose->setEnabled(false);
  try {
    params::ReadParaFile(state_.store, state_.cancelRequested, *this);
  } catch (const std::exception& e) {
    // Out of memory and the like: the reading ends with what it had stored.
    SetBusy(false);
    messages_.Show(e.what(), kProgramTitle, MessageIcon::kCritical);
  }
  reading_ = false;
  cmdClose->setEnabled(true);
  SetBusy(false);
  // 7., 8. The main window's file label and zone list.
  emit parFileTextChanged(Q(std::string(text::kParFilePrefix) + FileNameOf(path + " ") +
                            text::kParFileVer + state_.store.VersionUtf8()));
  emit zoneRead(state_.store.zoneNo);
  // 9.
  setEnabled(true);
  cmdBreak->setVisible(false);
}

void FrmParaFile1::Break() {
  state_.cancelRequested = true;
  SetStatusText(text::kLoadCancelled);
  emit parFileTextChanged(Q(text::kParFileNoneAscii));
  cmdBreak->setVisible(false);
}

void FrmParaFile1::CloseWindow() {
  if (reading_) return;
  SetStatusColor(colors::kLightYellow);
  accept();
}

void FrmParaFile1::closeEvent(QCloseEvent* event) {
  // The close box unloads the window like cmdClose, never in mid-reading.
  if (reading_) {
    event->ignore();
    return;
  }
  event->accept();
  QDialog::closeEvent(event);
}

void FrmParaFile1::reject() {
  if (reading_) return;
  QDialog::reject();
}

void FrmParaFile1::SetStatusText(const std::string& text) {
  lblStatus->setText(DisplayText(text));
}

void FrmParaFile1::SetStatusColor(Rgb color) {
  SetStatusBackground(lblStatus, color);
}

void FrmParaFile1::SetProgressMax(double max) {
  // The bar counts in whole units; an empty file still gets a determinate bar.
  const double whole = std::floor(max);
  ProgressBar1->setRange(0, whole >= 1 && whole < 2147483647.0 ? static_cast<int>(whole) : 1);
}

void FrmParaFile1::SetProgress(long value) {
  ProgressBar1->setValue(static_cast<int>(std::min<long>(value, ProgressBar1->maximum())));
}

void FrmParaFile1::SetSizeText(const std::string& text) {
  lblLine->setText(Q(text));
}

void FrmParaFile1::ShowBreak(bool visible) {
  cmdBreak->setVisible(visible);
}

void FrmParaFile1::SetBusy(bool busy) {
  busy_.Set(busy);
}

void FrmParaFile1::Yield() {
  pacer_.Offer();
}

}  // namespace varno::ui
