#include "ui/single_point.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <exception>

#include "batch/layout.h"
#include "state/module_state.h"
#include "geodesy/projection.h"
#include "params/transform.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/version.h"
#include "ui/do_calc.h"
#include "ui/frm_main.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::ui {

namespace {

QString XyText(double v) {
  return Q(FormatNumber(v, "######.0000"));
}

double FieldNumber(const QLineEdit* e) {
  return ParseNumber(U8(e->text()));
}

void Message(FrmMain& w, const char* text) {
  w.messages().Show(text, kProgramTitle, MessageIcon::kNone);
}

// Writes the corrected point on the right and completes it in latitude and
// longitude.
void ShowCorrected(FrmMain& w, const params::TransformOutput& out) {
  w.txtJgdx->setText(XyText(out.x2));
  w.txtJgdy->setText(XyText(out.y2));
  w.txtJgdh->setText(XyText(out.h2));
}

// "Err": no parameters for the point in the grid-only mode.
void ShowNotConverted(FrmMain& w, const char* status) {
  const QString missing = Q(text::kMissing);
  w.txtJB->setText(missing);
  w.txtJL->setText(missing);
  if (w.optXy->isChecked()) {
    w.txtJgdx->setText(missing);
    w.txtJgdy->setText(missing);
    w.txtJgdh->setText(missing);
    w.lblJgdn->setText(missing);
    w.lblJgds->setText(missing);
  }
  w.SetStatusText(status);
}

// Keeps the point for the parameter-range picture: where it was, and where
// the conversion put it.
void RememberPoint(FrmMain& w, double x, double y, double h, params::TransformStatus status,
                   const params::TransformOutput& out) {
  map::SinglePoint& last = w.state().lastPoint;
  last.valid = true;
  map::MapPoint& p = last.point;
  p = map::MapPoint{};
  p.name = batch::ToCp932Lenient(U8(w.txtName->text()));
  p.outcome = map::OutcomeOfStatus(status);
  p.placed = true;
  p.x = x;
  p.y = y;
  p.h = h;
  if (status != params::TransformStatus::kErr) {
    p.corrected = true;
    p.x2 = out.x2;
    p.y2 = out.y2;
    p.h2 = out.h2;
  }
}

// The common end of both conversions: the corrected point on the right-hand
// side in both forms (`otherForm` is the frame of the form not typed in), or
// the not-converted markers with `notConverted`.
void TransformAndShow(FrmMain& w, const geo::Projection& proj, double x, double y, double h,
                      QGroupBox* otherForm, const char* notConverted) {
  ModuleState& st = w.state();
  params::TransformOutput out;
  const params::TransformStatus status =
      params::TransformPoint(st.store, st.mode, proj, {w, w.messages()}, x, y, h, out);
  RememberPoint(w, x, y, h, status, out);
  if (status == params::TransformStatus::kErr) {
    ShowNotConverted(w, notConverted);
    return;
  }
  ShowCorrected(w, out);
  otherForm->setVisible(true);
  st.fieldSide = FieldSide::kPost;
  double b2 = 0, l2 = 0;
  DoCalcXy2bl(w, proj, st.fieldSide, out.x2, out.y2, b2, l2);
}

}  // namespace

void CalcFromXy(FrmMain& w, const geo::Projection& proj) {
  ModuleState& st = w.state();
  if (w.txtTkyx->text().isEmpty() || w.txtTkyy->text().isEmpty()) {
    Message(w, text::kNoInputXy);
    return;
  }
  const double x = FieldNumber(w.txtTkyx);
  const double y = FieldNumber(w.txtTkyy);
  const double h = FieldNumber(w.txtTkyh);
  w.fraTkyBL->setVisible(true);
  double b = 0, l = 0;
  if (!DoCalcXy2bl(w, proj, st.fieldSide, x, y, b, l)) {
    Message(w, text::kBadInputXy);
    return;
  }
  TransformAndShow(w, proj, x, y, h, w.fraJgdBL, text::kNoParamsXy);
}

void CalcFromBl(FrmMain& w, const geo::Projection& proj) {
  ModuleState& st = w.state();
  if (w.txtTB->text().isEmpty() || w.txtTL->text().isEmpty()) {
    Message(w, text::kNoInputBl);
    return;
  }
  double b = 0, l = 0, x = 0, y = 0;
  if (!DoCalcBl2xy(w, proj, st.fieldSide, b, l, x, y)) {
    Message(w, text::kBadInputBl);
    return;
  }
  const double h = FieldNumber(w.txtTkyh);
  TransformAndShow(w, proj, x, y, h, w.fraJgdxy, text::kNoParamsBl);
}

void ArrowHandler(FrmMain& w) {
  ModuleState& st = w.state();
  std::string description;
  try {
    st.geo.zone = geo::ParseZoneItem(U8(w.cmbPara->currentText()));
    const geo::Projection proj(st.geo);
    st.fieldSide = FieldSide::kPre;
    if (w.optBl->isChecked()) {
      CalcFromBl(w, proj);
    } else {
      CalcFromXy(w, proj);
    }
    w.cmdPrint->setEnabled(true);
    return;
  } catch (const VarnoError& e) {
    description = e.description();
  } catch (const std::exception& e) {
    description = e.what();
  }
  w.messages().Show(description + text::kCheckInputTail, kProgramTitle, MessageIcon::kNone);
}

}  // namespace varno::ui
