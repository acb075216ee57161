// The windows' controls for the tests, found by their object names (the
// windows keep them private): the main window's and the batch dialog's as
// structs, any other by Named<Type>(window, "name").
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>
#include <string>

#include "ui/arrow_button.h"
#include "ui/frm_file.h"
#include "ui/frm_main.h"

namespace varno::ui::testing {

// A named child of `w`; a missing one ends the test with its name.
template <typename T>
T* Named(const QObject& w, const char* name) {
  T* c = w.findChild<T*>(QLatin1String(name));
  if (!c) throw std::logic_error(std::string("no control ") + name);
  return c;
}

struct MainControls {
  explicit MainControls(const FrmMain& w)
      : lblParFile(Named<QLabel>(w, "lblParFile")),
        frmData(Named<QGroupBox>(w, "frmData")),
        optBl(Named<QRadioButton>(w, "optBl")),
        optXy(Named<QRadioButton>(w, "optXy")),
        cmdPrint(Named<QPushButton>(w, "cmdPrint")),
        cmdClear(Named<QPushButton>(w, "cmdClear")),
        cmdFile(Named<QPushButton>(w, "cmdFile")),
        Label15(Named<QLabel>(w, "Label15")),
        Label17(Named<QLabel>(w, "Label17")),
        cmbPara(Named<QComboBox>(w, "cmbPara")),
        lblInputName(Named<QLabel>(w, "lblInputName")),
        txtName(Named<QLineEdit>(w, "txtName")),
        fraTky(Named<QGroupBox>(w, "fraTky")),
        fraTkyBL(Named<QGroupBox>(w, "fraTkyBL")),
        Label1(Named<QLabel>(w, "Label1")),
        txtTB(Named<QLineEdit>(w, "txtTB")),
        Label2(Named<QLabel>(w, "Label2")),
        txtTL(Named<QLineEdit>(w, "txtTL")),
        fraTkyxy(Named<QGroupBox>(w, "fraTkyxy")),
        Label5(Named<QLabel>(w, "Label5")),
        txtTkyx(Named<QLineEdit>(w, "txtTkyx")),
        Label7(Named<QLabel>(w, "Label7")),
        Label6(Named<QLabel>(w, "Label6")),
        txtTkyy(Named<QLineEdit>(w, "txtTkyy")),
        Label8(Named<QLabel>(w, "Label8")),
        Label9(Named<QLabel>(w, "Label9")),
        lblTkyn(Named<QLabel>(w, "lblTkyn")),
        Label10(Named<QLabel>(w, "Label10")),
        lblTkys(Named<QLabel>(w, "lblTkys")),
        Label19(Named<QLabel>(w, "Label19")),
        txtTkyh(Named<QLineEdit>(w, "txtTkyh")),
        Label20(Named<QLabel>(w, "Label20")),
        fraJgd(Named<QGroupBox>(w, "fraJgd")),
        fraJgdBL(Named<QGroupBox>(w, "fraJgdBL")),
        Label3(Named<QLabel>(w, "Label3")),
        txtJB(Named<QLineEdit>(w, "txtJB")),
        Label4(Named<QLabel>(w, "Label4")),
        txtJL(Named<QLineEdit>(w, "txtJL")),
        fraJgdxy(Named<QGroupBox>(w, "fraJgdxy")),
        Label11(Named<QLabel>(w, "Label11")),
        txtJgdx(Named<QLineEdit>(w, "txtJgdx")),
        Label13(Named<QLabel>(w, "Label13")),
        Label12(Named<QLabel>(w, "Label12")),
        txtJgdy(Named<QLineEdit>(w, "txtJgdy")),
        Label14(Named<QLabel>(w, "Label14")),
        Label16(Named<QLabel>(w, "Label16")),
        lblJgdn(Named<QLabel>(w, "lblJgdn")),
        Label18(Named<QLabel>(w, "Label18")),
        lblJgds(Named<QLabel>(w, "lblJgds")),
        Label21(Named<QLabel>(w, "Label21")),
        txtJgdh(Named<QLineEdit>(w, "txtJgdh")),
        Label22(Named<QLabel>(w, "Label22")),
        picCalc1(Named<ArrowButton>(w, "picCalc1")),
        lblStatus(Named<QLabel>(w, "lblStatus")),
        mnuFileMain(Named<QMenu>(w, "mnuFileMain")),
        mnuEnd(Named<QAction>(w, "mnuEnd")),
        mnuSettingMain(Named<QMenu>(w, "mnuSettingMain")),
        mnuAdv(Named<QAction>(w, "mnuAdv")),
        mnuClear(Named<QAction>(w, "mnuClear")),
        mnuPrinter(Named<QAction>(w, "mnuPrinter")),
        mnuIkkatsu(Named<QAction>(w, "mnuIkkatsu")),
        mnuView(Named<QMenu>(w, "mnuView")),
        mnuMap(Named<QAction>(w, "mnuMap")) {}

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
};

// The controls of `w` (looked up on each call, so that the tests read as
// before: Ctl(w).txtTB->text()).
inline MainControls Ctl(const FrmMain& w) {
  return MainControls(w);
}

struct FileControls {
  explicit FileControls(const FrmFile& w)
      : Label4(Named<QLabel>(w, "Label4")),
        fraShori(Named<QGroupBox>(w, "fraShori")),
        opt1(Named<QRadioButton>(w, "opt1")),
        opt2(Named<QRadioButton>(w, "opt2")),
        opt3(Named<QRadioButton>(w, "opt3")),
        fraZahyo(Named<QGroupBox>(w, "fraZahyo")),
        lblZahyo(Named<QLabel>(w, "lblZahyo")),
        cmbPara(Named<QComboBox>(w, "cmbPara")),
        fraFileSelect(Named<QGroupBox>(w, "fraFileSelect")),
        cmdOpenInFile(Named<QPushButton>(w, "cmdOpenInFile")),
        Label1(Named<QLabel>(w, "Label1")),
        cmdOpenOutFile(Named<QPushButton>(w, "cmdOpenOutFile")),
        Label2(Named<QLabel>(w, "Label2")),
        chkDispFile(Named<QCheckBox>(w, "chkDispFile")),
        cmdExp(Named<QPushButton>(w, "cmdExp")),
        chkInValue(Named<QCheckBox>(w, "chkInValue")),
        lblFormat(Named<QLabel>(w, "lblFormat")),
        cmbFormat(Named<QComboBox>(w, "cmbFormat")),
        cmdStart(Named<QPushButton>(w, "cmdStart")),
        cmdBreak(Named<QPushButton>(w, "cmdBreak")),
        cmdMap(Named<QPushButton>(w, "cmdMap")),
        cmdClose(Named<QPushButton>(w, "cmdClose")),
        ProgressBar1(Named<QProgressBar>(w, "ProgressBar1")),
        lblLine(Named<QLabel>(w, "lblLine")),
        lblPercent(Named<QLabel>(w, "lblPercent")),
        lblStatus(Named<QLabel>(w, "lblStatus")) {}

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
  QComboBox* cmbFormat;
  QPushButton* cmdStart;
  QPushButton* cmdBreak;
  QPushButton* cmdMap;
  QPushButton* cmdClose;
  QProgressBar* ProgressBar1;
  QLabel* lblLine;
  QLabel* lblPercent;
  QLabel* lblStatus;
};

inline FileControls Ctl(const FrmFile& w) {
  return FileControls(w);
}

}  // namespace varno::ui::testing
