#include "ui/frm_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "geodesy/ellipsoid.h"
#include "geodesy/projection.h"
#include "map/recorder.h"
#include "params/reader.h"
#include "state/module_state.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/format.h"
#include "text/paths.h"
#include "text/quote.h"
#include "text/version.h"
#include "ui/dialog_texts.h"
#include "ui/file_text.h"
#include "ui/frm_format.h"
#include "ui/frm_in_file.h"
#include "ui/frm_out_file.h"
#include "ui/frm_para_file1.h"
#include "ui/message_service.h"

namespace varno::ui {

QStringList ToQtFilters(std::string_view filterList) {
  const QStringList parts = Q(filterList).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
    // The pattern in the trailing brackets is what Qt matches; with the
    // details hidden the list shows the text alone.
    filters << parts[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
  }
  return filters;
}

namespace {

// The picture keeps a hundred thousand points of a run (11 MB), spread over
// a longer file, besides the points not corrected with the grid. More would
// not show on a screen, and every fresh megabyte the run fills costs time on
// the thread the dialog waits for.
constexpr std::size_t kMaxMapPoints = 100'000;

std::optional<std::string> RunFileDialog(QWidget* parent, const char* title,
                                         QFileDialog::AcceptMode mode, const std::string& dir,
                                         const std::string& proposed, std::string_view filterList) {
  QFileDialog dialog(parent, Q(title));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  // Choosing a result file empties it without a question, as the dialog's
  // status line then says.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setNameFilters(ToQtFilters(filterList));
  if (!dir.empty()) dialog.setDirectory(Q(dir));
  if (!proposed.empty()) dialog.selectFile(Q(proposed));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? std::string() : U8(files.first());
}

}  // namespace

std::optional<std::string> QtFileChooser::ChooseInput(QWidget* parent,
                                                      const std::string& initialDir) {
  return RunFileDialog(parent, dtext::kCmdOpenInFile, QFileDialog::AcceptOpen, initialDir, {},
                       std::string(dtext::kInFilter) + dtext::kFormatFilters);
}

std::optional<std::string> QtFileChooser::ChooseResult(QWidget* parent,
                                                       const std::string& initialDir,
                                                       const std::string& proposed) {
  return RunFileDialog(parent, dtext::kCmdOpenOutFile, QFileDialog::AcceptSave, initialDir,
                       proposed, std::string(dtext::kOutFilter) + dtext::kSimaFilter);
}

FrmFile::FrmFile(ModuleState& state, const QComboBox& zoneSource, StatusSink& mainStatus,
                 MessageService& messages, QWidget* parent)
    : FrmFile(state, ItemTexts(zoneSource), mainStatus, messages, parent) {}

FrmFile::FrmFile(ModuleState& state, const QStringList& zoneItems, StatusSink& mainStatus,
                 MessageService& messages, QWidget* parent)
    : QDialog(parent),
      state_(state),
      mainStatus_(mainStatus),
      messages_(messages),
      chooser_(std::make_unique<QtFileChooser>()) {
  BuildControls();
  Load(zoneItems);
}

FrmFile::~FrmFile() {
  CloseResultFileIfOpen();
  state_.files.outFileChosen = false;
}

void FrmFile::BuildControls() {
  setObjectName(QStringLiteral("frmFile"));
  setWindowTitle(Q(dtext::kFrmFile));
  setModal(false);
  setAcceptDrops(true);

  auto tip = [](QWidget* w, const char* text) { w->setToolTip(Q(text)); };

  Label4 = new QLabel(Q(dtext::kLabel4), this);
  tip(Label4, dtext::kLabel4Tip);
  QFont heading = Label4->font();
  heading.setBold(true);
  heading.setPointSizeF(heading.pointSizeF() * 1.2);
  Label4->setFont(heading);

  fraShori = new QGroupBox(Q(dtext::kFraShori), this);
  tip(fraShori, dtext::kFraShoriTip);
  opt1 = new QRadioButton(Q(dtext::kOpt1), fraShori);
  opt2 = new QRadioButton(Q(dtext::kOpt2), fraShori);
  opt3 = new QRadioButton(Q(dtext::kOpt3), fraShori);
  opt2->setChecked(true);
  auto* shori = new QVBoxLayout(fraShori);
  shori->addWidget(opt1);
  shori->addWidget(opt2);
  shori->addWidget(opt3);

  fraZahyo = new QGroupBox(Q(dtext::kFraZahyo), this);
  lblZahyo = new QLabel(Q(dtext::kLblZahyo), fraZahyo);
  tip(lblZahyo, dtext::kLblZahyoTip);
  cmbPara = new QComboBox(fraZahyo);
  cmbPara->setPlaceholderText(Q(dtext::kCmbPara));
  QFont fixed(QString::fromUtf8(kFontGothic));
  fixed.setFixedPitch(true);
  fixed.setStyleHint(QFont::TypeWriter);
  cmbPara->setFont(fixed);
  lblZahyo->setFont(fixed);
  auto* zahyo = new QVBoxLayout(fraZahyo);
  zahyo->addWidget(lblZahyo);
  zahyo->addWidget(cmbPara);
  zahyo->addStretch();

  fraFileSelect = new QGroupBox(Q(dtext::kFraFileSelect), this);
  cmdOpenInFile = new QPushButton(Q(dtext::kCmdOpenInFile), fraFileSelect);
  tip(cmdOpenInFile, dtext::kCmdOpenInFileTip);
  Label1 = new QLabel(Q(dtext::kLabel1), fraFileSelect);
  tip(Label1, dtext::kLabel1Tip);
  cmdOpenOutFile = new QPushButton(Q(dtext::kCmdOpenOutFile), fraFileSelect);
  tip(cmdOpenOutFile, dtext::kCmdOpenOutFileTip);
  Label2 = new QLabel(Q(dtext::kLabel2), fraFileSelect);
  tip(Label2, dtext::kLabel2Tip);
  chkDispFile = new QCheckBox(Q(dtext::kChkDispFile), fraFileSelect);
  tip(chkDispFile, dtext::kChkDispFileTip);
  cmdExp = new QPushButton(Q(dtext::kCmdExp), fraFileSelect);
  tip(cmdExp, dtext::kCmdExpTip);
  auto* files = new QGridLayout(fraFileSelect);
  files->addWidget(cmdOpenInFile, 0, 0);
  files->addWidget(Label1, 0, 1);
  files->addWidget(cmdOpenOutFile, 1, 0);
  files->addWidget(Label2, 1, 1);
  files->addWidget(chkDispFile, 2, 0);
  files->addWidget(cmdExp, 2, 1);

  chkInValue = new QCheckBox(Q(dtext::kChkInValue), this);
  tip(chkInValue, dtext::kChkInValueTip);
  lblFormat = new QLabel(Q(dtext::kLblFormat), this);
  cmbFormat = new QComboBox(this);
  for (batch::InputFormat f :
       {batch::InputFormat::kText, batch::InputFormat::kCsv, batch::InputFormat::kSima})
    cmbFormat->addItem(Q(batch::FormatName(f)));
  tip(cmbFormat, dtext::kCmbFormatTip);
  tip(lblFormat, dtext::kCmbFormatTip);
  lblFormat->setBuddy(cmbFormat);
  // No taller than the check box, so that the row keeps its height.
  cmbFormat->setMaximumHeight(chkInValue->sizeHint().height());
  cmdStart = new QPushButton(Q(dtext::kCmdStart), this);
  tip(cmdStart, dtext::kCmdStartTip);
  cmdStart->setEnabled(false);
  cmdBreak = new QPushButton(Q(dtext::kCmdBreak), this);
  tip(cmdBreak, dtext::kCmdBreakTip);
  cmdBreak->setVisible(false);
  cmdMap = new QPushButton(Q(dtext::kCmdMap), this);
  tip(cmdMap, dtext::kCmdMapTip);
  cmdMap->setEnabled(false);
  cmdClose = new QPushButton(Q(dtext::kCmdClose), this);
  tip(cmdClose, dtext::kCmdCloseTip);
  for (QPushButton* b :
       {cmdOpenInFile, cmdOpenOutFile, cmdExp, cmdStart, cmdBreak, cmdMap, cmdClose})
    b->setAutoDefault(false);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setValue(0);
  lblLine = new QLabel(this);
  lblPercent = new QLabel(this);
  lblStatus = new QLabel(Q(dtext::kLblStatus), this);
  lblStatus->setFrameShape(QFrame::Panel);
  lblStatus->setFrameShadow(QFrame::Sunken);
  lblStatus->setWordWrap(true);
  lblStatus->setTextFormat(Qt::PlainText);  // shows paths and names from files
  lblStatus->setMinimumHeight(lblStatus->fontMetrics().lineSpacing() * 3 + 8);
  lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  Arrange();
  NameControls();

  connect(cmdOpenInFile, &QPushButton::clicked, this, &FrmFile::OpenInFile);
  connect(cmdOpenOutFile, &QPushButton::clicked, this, &FrmFile::OpenOutFile);
  connect(cmdStart, &QPushButton::clicked, this, &FrmFile::Start);
  connect(cmdBreak, &QPushButton::clicked, this, &FrmFile::Break);
  connect(cmbFormat, &QComboBox::currentIndexChanged, this, [this] { ApplyFormatRules(); });
  connect(cmdExp, &QPushButton::clicked, this, [this] { formatView().ShowModeless(); });
  connect(cmdMap, &QPushButton::clicked, this, &FrmFile::mapRequested);
  connect(cmdClose, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

// The dialog's rows: choices, files, options, buttons, progress, status.
void FrmFile::Arrange() {
  auto* top = new QHBoxLayout;
  top->addWidget(fraShori, 3);
  top->addWidget(fraZahyo, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdStart);
  buttons->addWidget(cmdBreak);
  buttons->addStretch();
  buttons->addWidget(cmdMap);
  buttons->addWidget(cmdClose);
  auto* progress = new QHBoxLayout;
  progress->addWidget(lblLine);
  progress->addWidget(lblPercent, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label4);
  layout->addLayout(top);
  layout->addWidget(fraFileSelect);
  // The format choice shares the row of chkInValue, so that no control below
  // it moves.
  auto* options = new QHBoxLayout;
  options->addWidget(chkInValue);
  options->addStretch();
  options->addWidget(lblFormat);
  options->addWidget(cmbFormat);
  layout->addLayout(options);
  layout->addLayout(buttons);
  layout->addWidget(ProgressBar1);
  layout->addLayout(progress);
  layout->addWidget(lblStatus);
}

// Every control is found by its name (tests, screenshots, accessibility tools).
void FrmFile::NameControls() {
  const std::pair<QWidget*, const char*> named[] = {{Label4, "Label4"},
                                                    {fraShori, "fraShori"},
                                                    {opt1, "opt1"},
                                                    {opt2, "opt2"},
                                                    {opt3, "opt3"},
                                                    {fraZahyo, "fraZahyo"},
                                                    {lblZahyo, "lblZahyo"},
                                                    {cmbPara, "cmbPara"},
                                                    {fraFileSelect, "fraFileSelect"},
                                                    {cmdOpenInFile, "cmdOpenInFile"},
                                                    {Label1, "Label1"},
                                                    {cmdOpenOutFile, "cmdOpenOutFile"},
                                                    {Label2, "Label2"},
                                                    {chkDispFile, "chkDispFile"},
                                                    {cmdExp, "cmdExp"},
                                                    {chkInValue, "chkInValue"},
                                                    {lblFormat, "lblFormat"},
                                                    {cmbFormat, "cmbFormat"},
                                                    {cmdStart, "cmdStart"},
                                                    {cmdBreak, "cmdBreak"},
                                                    {cmdMap, "cmdMap"},
                                                    {cmdClose, "cmdClose"},
                                                    {ProgressBar1, "ProgressBar1"},
                                                    {lblLine, "lblLine"},
                                                    {lblPercent, "lblPercent"},
                                                    {lblStatus, "lblStatus"}};
  for (const auto& [w, name] : named) w->setObjectName(QLatin1String(name));
}

void FrmFile::Load(const QStringList& zoneItems) {
  cmbPara->addItems(zoneItems);
  cmbPara->setCurrentIndex(-1);
  if (!state_.store.version.empty()) {
    const int index = params::ZoneListIndex(state_.store.zoneNo);
    // A file zone outside the list leaves the choice to the user.
    if (index >= 0 && index < cmbPara->count()) {
      cmbPara->setCurrentIndex(index);
      cmbPara->setEnabled(false);
      zoneLocked_ = true;
    }
  }
  adjustSize();
  if (const QScreen* screen = QApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void FrmFile::SetFileChooser(std::unique_ptr<FileChooser> chooser) {
  chooser_ = std::move(chooser);
}

FrmInFile& FrmFile::inFileView() {
  if (!inView_) inView_ = new FrmInFile(state_, messages_, this);
  return *inView_;
}

FrmOutFile& FrmFile::outFileView() {
  if (!outView_) outView_ = new FrmOutFile(messages_, this);
  return *outView_;
}

FrmFormat& FrmFile::formatView() {
  if (!formatView_) formatView_ = new FrmFormat(this);
  return *formatView_;
}

void FrmFile::SetStatus(const std::string& text, std::optional<Rgb> color) {
  lblStatus->setText(DisplayText(text));
  if (color) {
    statusColor_ = *color;
    SetStatusBackground(lblStatus, *color);
  }
}

void FrmFile::ShowFileError(int number, const std::string& description) {
  messages_.Show(std::string(dtext::kCannotOpen) + SpacedNumber(number) + "  " + description,
                 kProgramTitle, MessageIcon::kCritical);
}

void FrmFile::CloseResultFileIfOpen() {
  batch::BatchFiles& f = state_.files;
  if (f.outFile != nullptr) {
    std::fclose(f.outFile);
    f.outFile = nullptr;
  }
}

void FrmFile::Open() {
  if (running_) {
    show();
    raise();
    return;
  }
  batch::BatchFiles& f = state_.files;
  // A result file chosen earlier but not used stays as chosen: empty.
  CloseResultFileIfOpen();
  f.inFileChosen = false;
  f.outFileChosen = false;
  cmdStart->setEnabled(false);
  lblPercent->clear();
  lblLine->clear();
  ProgressBar1->setValue(0);
  statusColor_ = colors::kLavender;
  SetStatusBackground(lblStatus, colors::kLavender);
  show();
  raise();
  activateWindow();
}

void FrmFile::OpenInFile() {
  if (running_) return;
  ProgressBar1->setValue(0);
  const std::optional<std::string> chosen = chooser_->ChooseInput(this, state_.files.inFileDir);
  if (!chosen) return;  // cancelled: nothing changes
  TakeInputFile(*chosen);
}

void FrmFile::TakeInputFile(const std::string& path) {
  if (running_) return;
  batch::BatchFiles& f = state_.files;
  if (path.empty()) {
    SetStatus(dtext::kNoInFile, colors::kMagenta);
    return;
  }
  // The chosen result file has already been emptied; it cannot be the input.
  if (f.outFileChosen) {
    const std::string refusal = batch::CheckOutputPath(path, f.outFilePath);
    if (!refusal.empty()) {
      messages_.Show(refusal, kProgramTitle, MessageIcon::kWarning);
      return;
    }
  }
  FileFailure failure;
  if (!CanOpenForReading(path, failure)) {
    ShowFileError(failure.number, failure.description);
    return;
  }
  f.inFilePath = path;
  f.inFileDir = FolderOf(path);
  // The extension is taken from the file name only: a "." in a folder name
  // must not cut the path.
  f.inFileBase = f.inFileDir + StripExtension(FileNameOf(path));
  SetStatus(std::string(dtext::kOpenedIn) + EscapeControls(path) + dtext::kOpenedTail,
            colors::kLightCyan);
  // The file's extension suggests its format; the user may choose another.
  const QString suffix = QFileInfo(Q(FileNameOf(path))).suffix().toLower();
  if (suffix == QLatin1String("sim")) {
    SetFormat(batch::InputFormat::kSima);
  } else if (suffix == QLatin1String("csv")) {
    SetFormat(batch::InputFormat::kCsv);
  }
  if (chkDispFile->isChecked()) inFileView().OpenInFileView(path);
  f.inFileChosen = true;
  if (f.outFileChosen) {
    cmdStart->setEnabled(true);
    cmdStart->setFocus();
  } else {
    cmdOpenOutFile->setFocus();
  }
}

void FrmFile::OpenOutFile() {
  if (running_) return;
  batch::BatchFiles& f = state_.files;
  ProgressBar1->setValue(0);
  const std::optional<std::string> chosen =
      chooser_->ChooseResult(this, f.inFileDir, ProposedResultPath());
  if (!chosen || chosen->empty()) return;  // cancelled: the earlier choice stays
  const std::string& path = *chosen;
  // Opening the result file empties it: never the input file.
  if (!f.inFilePath.empty()) {
    const std::string refusal = batch::CheckOutputPath(f.inFilePath, path);
    if (!refusal.empty()) {
      messages_.Show(refusal, kProgramTitle, MessageIcon::kWarning);
      return;
    }
  }
  // Nor the parameter file: the next start of the program needs it.
  if (!state_.store.paraFilePath.empty() &&
      !batch::CheckOutputPath(state_.store.paraFilePath, path).empty()) {
    messages_.Show(dtext::kOutIsParaFile, kProgramTitle, MessageIcon::kWarning);
    return;
  }
  // Only a regular file is created or emptied; a FIFO or a device is refused
  // at once rather than waited on or written to.
  FileProblem problem;
  std::FILE* out = OpenResultForWriting(path, problem);
  if (out == nullptr) {
    ShowFileError(problem.number, problem.description);
    return;
  }
  CloseResultFileIfOpen();
  f.outFile = out;
  f.outFilePath = path;
  SetStatus(std::string(dtext::kOpenedOut) + EscapeControls(path) + dtext::kOpenedTail,
            colors::kLightCyan);
  f.outFileChosen = true;
  if (f.inFileChosen) {
    cmdStart->setEnabled(true);
    cmdStart->setFocus();
  } else {
    cmdOpenInFile->setFocus();
  }
}

batch::InputFormat FrmFile::CurrentFormat() const {
  switch (cmbFormat->currentIndex()) {
    case 1:
      return batch::InputFormat::kCsv;
    case 2:
      return batch::InputFormat::kSima;
    default:
      return batch::InputFormat::kText;
  }
}

void FrmFile::SetFormat(batch::InputFormat format) {
  cmbFormat->setCurrentIndex(static_cast<int>(format));
}

std::string FrmFile::ProposedResultPath() const {
  const std::string& base = state_.files.inFileBase;
  if (base.empty()) return {};
  // A SIMA result is a SIMA file again; the suffix keeps it from ever being
  // the input file itself.
  if (CurrentFormat() == batch::InputFormat::kSima) return base + "_2011.sim";
  return base + ".out";
}

void FrmFile::ApplyFormatRules() {
  const bool sima = CurrentFormat() == batch::InputFormat::kSima;
  if (sima && processBeforeSima_ == nullptr) {
    processBeforeSima_ = opt1->isChecked() ? opt1 : opt3->isChecked() ? opt3 : opt2;
    opt2->setChecked(true);
  } else if (!sima && processBeforeSima_ != nullptr) {
    processBeforeSima_->setChecked(true);
    processBeforeSima_ = nullptr;
  }
  const bool free = !running_;
  opt1->setEnabled(free && !sima);
  opt3->setEnabled(free && !sima);
  chkInValue->setEnabled(free && !sima);
  opt2->setEnabled(free);
  cmbFormat->setEnabled(free);
}

void FrmFile::LockForRun(bool locked) {
  for (QWidget* w : std::initializer_list<QWidget*>{cmdOpenInFile, cmdOpenOutFile})
    w->setEnabled(!locked);
  ApplyFormatRules();
  if (!zoneLocked_) cmbPara->setEnabled(!locked);
  const batch::BatchFiles& f = state_.files;
  cmdStart->setEnabled(!locked && f.inFileChosen && f.outFileChosen && f.outFile != nullptr);
}

void FrmFile::Start() {
  batch::BatchFiles& f = state_.files;
  if (running_ || !f.inFileChosen || !f.outFileChosen || f.outFile == nullptr) return;
  if (cmbPara->currentIndex() < 0) {
    messages_.Show(dtext::kNoZone, kProgramTitle, MessageIcon::kWarning);
    return;
  }
  geo::ZoneSelection zone;
  try {
    zone = geo::ParseZoneItem(U8(cmbPara->currentText()));
  } catch (const VarnoError& e) {
    messages_.Show(std::string(dtext::kNoZone) + "\r" + e.description(), kProgramTitle,
                   MessageIcon::kWarning);
    return;
  }
  state_.geo.zone = zone;
  if (zone.zoneNo != state_.store.zoneNo)
    messages_.Show(dtext::kZoneDiffers, dtext::kZoneTitle, MessageIcon::kCritical);

  SetStatus(dtext::kRunning, colors::kLightGreen);
  SetBusy(true);
  running_ = true;
  pacer_.Restart();
  LockForRun(true);
  // A cancel left over from an earlier run or the loading must not stop this one.
  state_.cancelRequested = false;
  // The choices are read once here: the run keeps them (and its own copy of
  // the zone) whatever the windows do during its event processing.
  const batch::InputFormat format = CurrentFormat();
  const bool sima = format == batch::InputFormat::kSima;
  const batch::RunSettings settings{state_.store,
                                    state_.mode,
                                    sima ? batch::Process::kXy : CurrentProcess(),
                                    !sima && chkInValue->isChecked(),
                                    state_.geo,
                                    format};
  // The run's points for the parameter-range picture, placed in its zone.
  cmdMap->setEnabled(false);
  std::optional<geo::Projection> projection;
  try {
    projection.emplace(settings.geo);
  } catch (const std::exception&) {
    // The run reports what is wrong with the zone; the picture places nothing extra.
  }
  map::RunRecorder recorder(state_.lastRun, settings.process == batch::Process::kBl,
                            projection ? &*projection : nullptr, kMaxMapPoints);
  batch::RunTotals totals;
  batch::BatchContext ctx{settings, f, state_.cancelRequested, *this, {mainStatus_, messages_},
                          &recorder};
  ctx.totals = &totals;
  ctx.jobs = 0;  // one conversion thread per core
  const batch::RunOutcome outcome = batch::RunFile(ctx);
  state_.lastRun.inputName = FileNameOf(f.inFilePath);
  state_.lastRun.finished = outcome == batch::RunOutcome::kFinished;
  cmdMap->setEnabled(true);
  emit runEnded();
  running_ = false;
  ShowPendingProgress();
  LockForRun(false);
  ShowBreak(false);
  SetBusy(false);
  cmdClose->setFocus();
  // A run that read no point, or left SIMA points unconverted, says so.
  if (outcome == batch::RunOutcome::kFinished) {
    const std::string warning = batch::RunWarningText(totals, format);
    if (!warning.empty()) messages_.Show(warning, kProgramTitle, MessageIcon::kWarning);
  }
}

batch::Process FrmFile::CurrentProcess() const {
  if (opt1->isChecked()) return batch::Process::kBl;
  if (opt3->isChecked()) return batch::Process::kXyBl;
  return batch::Process::kXy;
}

void FrmFile::Break() {
  state_.cancelRequested = true;
  SetStatus(dtext::kCancelled, std::nullopt);
  cmdBreak->setVisible(false);
}

void FrmFile::done(int result) {
  if (running_) Break();
  QDialog::done(result);
}

void FrmFile::mousePressEvent(QMouseEvent* event) {
  ProgressBar1->setValue(0);
  QDialog::mousePressEvent(event);
}

std::optional<std::string> FrmFile::DroppedFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
  return U8(urls.first().toLocalFile());
}

void FrmFile::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void FrmFile::dropEvent(QDropEvent* event) {
  const std::optional<std::string> path = DroppedFile(event->mimeData());
  if (!path || running_) return;
  event->acceptProposedAction();
  ProgressBar1->setValue(0);
  TakeInputFile(*path);
}

// BatchView

void FrmFile::ShowBreak(bool visible) {
  cmdBreak->setVisible(visible);
}

void FrmFile::SetLineText(const std::string& text) {
  lblLine->setText(Q(text));
}

void FrmFile::SetPercentText(const std::string& text) {
  pendingPercent_ = text;
  if (!running_) ShowPendingProgress();
}

void FrmFile::SetProgressMax(long max) {
  ProgressBar1->setMaximum(static_cast<int>(std::min<long>(max, INT32_MAX)));
}

void FrmFile::SetProgress(long value) {
  pendingProgress_ = value;
  if (!running_) ShowPendingProgress();
}

void FrmFile::ShowPendingProgress() {
  if (pendingProgress_) {
    ProgressBar1->setValue(
        static_cast<int>(std::min<long>(*pendingProgress_, ProgressBar1->maximum())));
    pendingProgress_.reset();
  }
  if (pendingPercent_) {
    lblPercent->setText(Q(*pendingPercent_));
    pendingPercent_.reset();
  }
}

void FrmFile::SetDialogStatus(const std::string& text, Rgb color) {
  SetStatus(text, color);
}

void FrmFile::EnableStart(bool enabled) {
  cmdStart->setEnabled(enabled && !running_);
}

void FrmFile::SetBusy(bool busy) {
  busy_.Set(busy);
}

bool FrmFile::ShowResultFile() {
  return chkDispFile->isChecked();
}

void FrmFile::OpenOutFileView(const std::string& path) {
  outFileView().OpenOutFileView(path);
}

void FrmFile::Yield() {
  if (!pacer_.Due()) return;
  ShowPendingProgress();
  pacer_.Offer();
}

}  // namespace varno::ui
