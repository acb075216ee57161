// frmFile: the batch conversion dialog. The user picks the process, the zone,
// the input and the result file, starts Bl_File / XY_File, watches the
// progress and may cancel. The dialog is the run's BatchView.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "batch/convert.h"
#include "batch/formats.h"
#include "text/report.h"
#include "ui/busy_pointer.h"
#include "ui/event_pacer.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMimeData;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

class FrmInFile;
class FrmOutFile;
class FrmFormat;

// The file dialogs of the two file buttons; tests replace them.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen input file; nullopt when the dialog was cancelled.
  virtual std::optional<std::string> ChooseInput(QWidget* parent,
                                                 const std::string& initialDir) = 0;
  // The chosen result file; `proposed` is the proposed path.
  virtual std::optional<std::string> ChooseResult(QWidget* parent, const std::string& initialDir,
                                                  const std::string& proposed) = 0;
};

// The platform's file dialogs (a save dialog for the result file).
class QtFileChooser : public FileChooser {
 public:
  std::optional<std::string> ChooseInput(QWidget* parent, const std::string& initialDir) override;
  std::optional<std::string> ChooseResult(QWidget* parent, const std::string& initialDir,
                                          const std::string& proposed) override;
};

// A filter list "text|pattern|text|pattern" as Qt name filters (shown with
// the texts only; "*.*" matches every file, with or without an extension).
QStringList ToQtFilters(std::string_view filterList);

class FrmFile : public QDialog, public batch::BatchView {
  Q_OBJECT
 public:
  // The zone list is a copy of the main window's (`zoneItems`, or the items
  // of `zoneSource`); range messages of a run go to the main window's status
  // line `mainStatus`.
  FrmFile(ModuleState& state, const QStringList& zoneItems, StatusSink& mainStatus,
          MessageService& messages, QWidget* parent = nullptr);
  FrmFile(ModuleState& state, const QComboBox& zoneSource, StatusSink& mainStatus,
          MessageService& messages, QWidget* parent = nullptr);
  ~FrmFile() override;

  // Open: resets the file choices and the progress display and shows the
  // dialog modeless. While a run is in progress it only brings it forward.
  void Open();

  void SetFileChooser(std::unique_ptr<FileChooser> chooser);
  bool running() const { return running_; }
  // The windows the dialog opens (created on first use).
  FrmInFile& inFileView();
  FrmOutFile& outFileView();
  FrmFormat& formatView();

  // The handlers of the buttons, callable directly.
  void OpenInFile();
  void OpenOutFile();
  void Start();
  void Break();
  // What the input button does after its file dialog (also for a dropped file).
  void TakeInputFile(const std::string& path);

  // BatchView
  void ShowBreak(bool visible) override;
  void SetLineText(const std::string& text) override;
  void SetPercentText(const std::string& text) override;
  void SetProgressMax(long max) override;
  void SetProgress(long value) override;
  void SetDialogStatus(const std::string& text, Rgb color) override;
  void EnableStart(bool enabled) override;
  void SetBusy(bool busy) override;
  bool ShowResultFile() override;
  void OpenOutFileView(const std::string& path) override;
  void Yield() override;

  // The event loop's turns during a run (EventPacer).
  EventPacer& pacer() { return pacer_; }
  // The input format chosen in cmbFormat.
  batch::InputFormat CurrentFormat() const;
  void SetFormat(batch::InputFormat format);
  // The result name proposed for the chosen input and format.
  std::string ProposedResultPath() const;

  // The dialog's status background.
  Rgb statusColor() const { return statusColor_; }

 signals:
  // cmdMap (enabled once a run has ended): the parameter-range picture.
  void mapRequested();
  // A run has ended (an open picture shows the new points).
  void runEnded();

 public slots:
  // Hiding the dialog during a run cancels the run.
  void done(int result) override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Controls, named as the rest of the program knows them.
  QLabel* Label4;
  QGroupBox* fraShori;
  QRadioButton* opt1;
  QRadioButton* opt2;
  QRadioButton* opt3;
  QGroupBox* fraZahyo;
  QLabel* lblZahyo;
  QComboBox* cmbPara;
  QGroupBox* fraFileSelect;
  QPushButton* cmdOpenInFile;
  QLabel* Label1;
  QPushButton* cmdOpenOutFile;
  QLabel* Label2;
  QCheckBox* chkDispFile;
  QPushButton* cmdExp;
  QCheckBox* chkInValue;
  QLabel* lblFormat;
  QComboBox* cmbFormat;  // 空白区切り / CSV / SIMA座標ﾃﾞｰﾀ, in InputFormat order
  QPushButton* cmdStart;
  QPushButton* cmdBreak;
  QPushButton* cmdMap;  // the parameter-range picture of the last run
  QPushButton* cmdClose;
  QProgressBar* ProgressBar1;
  QLabel* lblLine;
  QLabel* lblPercent;
  QLabel* lblStatus;

  void BuildControls();
  void Arrange();
  void NameControls();
  void Load(const QStringList& zoneItems);
  void SetStatus(const std::string& text, std::optional<Rgb> color);
  void ShowFileError(int number, const std::string& description);
  void CloseResultFileIfOpen();
  void LockForRun(bool locked);
  batch::Process CurrentProcess() const;  // opt1 / opt2 / opt3
  void ShowPendingProgress();
  // A SIMA file is converted X/Y -> X/Y/H only, without input columns: the
  // other choices are disabled while it is chosen, and come back after.
  void ApplyFormatRules();
  static std::optional<std::string> DroppedFile(const QMimeData* mime);

  ModuleState& state_;
  StatusSink& mainStatus_;
  MessageService& messages_;
  std::unique_ptr<FileChooser> chooser_;
  QPointer<FrmInFile> inView_;
  QPointer<FrmOutFile> outView_;
  QPointer<FrmFormat> formatView_;
  Rgb statusColor_{0, 0, 0};
  bool running_ = false;
  BusyPointer busy_;
  EventPacer pacer_;
  // During a run the progress bar and lblPercent show their latest values at
  // the event loop's turns: a progress bar repaints at once on every new value.
  std::optional<long> pendingProgress_;
  std::optional<std::string> pendingPercent_;
  bool zoneLocked_ = false;
  QRadioButton* processBeforeSima_ = nullptr;
};

}  // namespace varno::ui
