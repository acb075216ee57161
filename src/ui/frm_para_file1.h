// The loading window frmParaFile1: tests the parameter file, reads it into
// the grid store with progress and cancel, and shows a summary.
#pragma once

#include <QDialog>

#include "params/reader.h"
#include "text/report.h"
#include "ui/busy_pointer.h"
#include "ui/event_pacer.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace varno {
struct ModuleState;
}

namespace varno::ui {

// Selects the parameter file's zone in a zone list and disables the list, so
// that conversions use that zone. A file that states no zone (0) or one
// outside 1..19 leaves the list without a selection and enabled: the user then
// chooses the zone, which otherwise no conversion could have.
void LockZoneList(QComboBox& list, int zoneNo);
// The texts of a zone list's items, in order.
QStringList ItemTexts(const QComboBox& list);

class FrmParaFile1 : public QDialog, public params::LoadView {
  Q_OBJECT
 public:
  FrmParaFile1(ModuleState& state, MessageService& messages, QWidget* parent = nullptr);
  ~FrmParaFile1() override;

  // Shows the window modally; the load step runs as soon as it is shown.
  int RunModal();
  // The load step (also usable without the modal loop).
  void LoadStep();
  bool reading() const { return reading_; }

  // LoadView
  void SetStatusText(const std::string& text) override;
  void SetStatusColor(Rgb color) override;
  void SetProgressMax(double max) override;
  void SetProgress(long value) override;
  void SetSizeText(const std::string& text) override;
  void ShowBreak(bool visible) override;
  void SetBusy(bool busy) override;
  void Yield() override;

 signals:
  // The main window's parameter file line: the file and its version after a
  // load, "none" after a cancel.
  void parFileTextChanged(const QString& text);
  // The zone the file states, once it is read (LockZoneList).
  void zoneRead(int zoneNo);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // Controls, named as the rest of the program knows them.
  QProgressBar* ProgressBar1;
  QPushButton* cmdBreak;
  QPushButton* cmdClose;
  QLabel* lblStatus;
  QLabel* lblLine;

  void Break();
  void CloseWindow();

  ModuleState& state_;
  MessageService& messages_;
  bool reading_ = false;
  BusyPointer busy_;
  EventPacer pacer_;
};

}  // namespace varno::ui
