// The main window frmMain: the pre- and post-earthquake fields, the arrow
// button, the input-format switch, the keyboard filter of the ten coordinate
// boxes, the menus, and the status line the computations report to.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <string>

#include "text/report.h"
#include "ui/arrow_button.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace varno {
struct ModuleState;
enum class FieldSide : int;
}  // namespace varno

namespace varno::ui {

class FrmAdv;
class FrmPrinter;

class FrmMain : public QMainWindow, public StatusSink {
  Q_OBJECT
 public:
  FrmMain(ModuleState& state, MessageService& messages, QWidget* parent = nullptr);
  ~FrmMain() override;

  // StatusSink (lblStatus). Repeating the same text or colour costs a compare.
  void SetStatusText(std::string_view text) override;
  void SetStatusColor(Rgb color) override;
  Rgb statusColor() const { return statusColor_; }
  // The status text as the logic wrote it (CR line breaks kept).
  const std::string& statusText() const { return statusUtf8_; }

  // ClearValues.
  void ClearValues();
  // Shows the sub-frames of the selected input format and hides the others.
  void ShowFramesForFormat();
  // The arrow button's handler (single-point conversion).
  void Calculate();
  // mnuAdv: opens or hides the conversion-method dialog.
  void ToggleAdv();
  // The conversion-method dialog once mnuAdv has loaded it, else null.
  FrmAdv* frmAdv() const;

  // The printer chosen with mnuPrinter, used by the printing code.
  QPrinter& printer();
  // mnuPrinter: opens the printer set-up dialog (window-modal, not blocking).
  FrmPrinter* ShowPrinterSetup();

  ModuleState& state() { return state_; }
  MessageService& messages() { return messages_; }

  // The value fields the conversions read and write.
  enum class Field {
    kTB,
    kTL,
    kTkyx,
    kTkyy,
    kTkyn,
    kTkys,
    kTkyh,  // pre-earthquake side
    kJB,
    kJL,
    kJgdx,
    kJgdy,
    kJgdn,
    kJgds,
    kJgdh,  // post-earthquake side
    kName,
  };
  QString field(Field f) const;
  void SetField(Field f, const QString& text);
  // Shows one side's latitude/longitude or X/Y sub-frame.
  void ShowSubFrame(FieldSide side, bool latLon);
  // Latitude/longitude input selected (optBl), else X/Y.
  bool latLonInput() const;
  // The zone item chosen in cmbPara, and the whole list.
  QString zoneItem() const;
  QStringList zoneItems() const;
  // cmdPrint: enabled after a conversion, disabled by any change.
  void SetPrintEnabled(bool enabled);
  bool printEnabled() const;

 public slots:
  // The parameter file line above the buttons.
  void SetParFileText(const QString& text);
  // Selects the parameter file's zone in cmbPara and locks it (LockZoneList).
  void LockZones(int zoneNo);

 signals:
  // cmdFile, mnuIkkatsu: the batch dialog.
  void batchRequested();
  // cmdPrint: the page of the point shown.
  void printRequested();
  // mnuMap: the parameter-range picture.
  void mapRequested();
  // After each single conversion (an open picture shows the new point).
  void converted();
  // The window was closed by any means: the program ends.
  void unloaded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Controls, named as the rest of the program knows them.
  QLabel* lblParFile;
  QGroupBox* frmData;
  QRadioButton* optBl;
  QRadioButton* optXy;
  QPushButton* cmdPrint;
  QPushButton* cmdClear;
  QPushButton* cmdFile;
  QLabel* Label15;
  QLabel* Label17;
  QComboBox* cmbPara;
  QLabel* lblInputName;
  QLineEdit* txtName;

  QGroupBox* fraTky;
  QGroupBox* fraTkyBL;
  QLabel* Label1;
  QLineEdit* txtTB;
  QLabel* Label2;
  QLineEdit* txtTL;
  QGroupBox* fraTkyxy;
  QLabel* Label5;
  QLineEdit* txtTkyx;
  QLabel* Label7;
  QLabel* Label6;
  QLineEdit* txtTkyy;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* lblTkyn;
  QLabel* Label10;
  QLabel* lblTkys;
  QLabel* Label19;
  QLineEdit* txtTkyh;
  QLabel* Label20;

  QGroupBox* fraJgd;
  QGroupBox* fraJgdBL;
  QLabel* Label3;
  QLineEdit* txtJB;
  QLabel* Label4;
  QLineEdit* txtJL;
  QGroupBox* fraJgdxy;
  QLabel* Label11;
  QLineEdit* txtJgdx;
  QLabel* Label13;
  QLabel* Label12;
  QLineEdit* txtJgdy;
  QLabel* Label14;
  QLabel* Label16;
  QLabel* lblJgdn;
  QLabel* Label18;
  QLabel* lblJgds;
  QLabel* Label21;
  QLineEdit* txtJgdh;
  QLabel* Label22;

  ArrowButton* picCalc1;
  QLabel* lblStatus;

  QMenu* mnuFileMain;
  QAction* mnuEnd;
  QMenu* mnuSettingMain;
  QAction* mnuAdv;
  QAction* mnuClear;
  QAction* mnuPrinter;
  QAction* mnuIkkatsu;
  QMenu* mnuView;
  QAction* mnuMap;

  struct BoxRule {
    QLineEdit* box;
    QWidget* next;  // Enter moves the focus here
    bool latLon;    // rejects every key while X/Y input is selected
  };
  void BuildControls();
  void BuildSide(QWidget* client, bool pre);
  void ConnectControls();
  void BuildMenus();
  void FillZones();
  const BoxRule* RuleFor(QObject* box) const;
  QWidget* FieldWidget(Field f) const;
  // The keyboard filter for one character code; true when it is accepted.
  bool FilterKey(const BoxRule& rule, int code);

  ModuleState& state_;
  MessageService& messages_;
  std::array<BoxRule, 10> rules_{};
  std::string statusUtf8_;
  Rgb statusColor_{0, 0, 0};
  bool statusColorSet_ = false;
  std::unique_ptr<QPrinter> printer_;
  QPointer<FrmAdv> frmAdv_;
  QPointer<FrmPrinter> frmPrinter_;
};

}  // namespace varno::ui
