#include "ui/single_point.h"

#include <exception>

#include "batch/layout.h"
#include "geodesy/projection.h"
#include "params/transform.h"
#include "state/module_state.h"
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

using Field = FrmMain::Field;

double FieldNumber(const FrmMain& w, Field f) {
  return ParseNumber(U8(w.field(f)));
}

void Message(FrmMain& w, const char* text) {
  w.messages().Show(text, kProgramTitle, MessageIcon::kNone);
}

// Writes the corrected point on the right and completes it in latitude and
// longitude.
void ShowCorrected(FrmMain& w, const params::TransformOutput& out) {
  w.SetField(Field::kJgdx, XyText(out.x2));
  w.SetField(Field::kJgdy, XyText(out.y2));
  w.SetField(Field::kJgdh, XyText(out.h2));
}

// "Err": no parameters for the point in the grid-only mode.
void ShowNotConverted(FrmMain& w, const char* status) {
  const QString missing = Q(text::kMissing);
  w.SetField(Field::kJB, missing);
  w.SetField(Field::kJL, missing);
  if (!w.latLonInput()) {
    w.SetField(Field::kJgdx, missing);
    w.SetField(Field::kJgdy, missing);
    w.SetField(Field::kJgdh, missing);
    w.SetField(Field::kJgdn, missing);
    w.SetField(Field::kJgds, missing);
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
  p.name = batch::ToCp932Lenient(U8(w.field(Field::kName)));
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
// side in both forms (`otherFormLatLon`: the form not typed in), or
// the not-converted markers with `notConverted`.
void TransformAndShow(FrmMain& w, const geo::Projection& proj, double x, double y, double h,
                      bool otherFormLatLon, const char* notConverted) {
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
  w.ShowSubFrame(FieldSide::kPost, otherFormLatLon);
  st.fieldSide = FieldSide::kPost;
  double b2 = 0, l2 = 0;
  DoCalcXy2bl(w, proj, st.fieldSide, out.x2, out.y2, b2, l2);
}

}  // namespace

void CalcFromXy(FrmMain& w, const geo::Projection& proj) {
  ModuleState& st = w.state();
  if (w.field(Field::kTkyx).isEmpty() || w.field(Field::kTkyy).isEmpty()) {
    Message(w, text::kNoInputXy);
    return;
  }
  const double x = FieldNumber(w, Field::kTkyx);
  const double y = FieldNumber(w, Field::kTkyy);
  const double h = FieldNumber(w, Field::kTkyh);
  w.ShowSubFrame(FieldSide::kPre, true);
  double b = 0, l = 0;
  if (!DoCalcXy2bl(w, proj, st.fieldSide, x, y, b, l)) {
    Message(w, text::kBadInputXy);
    return;
  }
  TransformAndShow(w, proj, x, y, h, true, text::kNoParamsXy);
}

void CalcFromBl(FrmMain& w, const geo::Projection& proj) {
  ModuleState& st = w.state();
  if (w.field(Field::kTB).isEmpty() || w.field(Field::kTL).isEmpty()) {
    Message(w, text::kNoInputBl);
    return;
  }
  double b = 0, l = 0, x = 0, y = 0;
  if (!DoCalcBl2xy(w, proj, st.fieldSide, b, l, x, y)) {
    Message(w, text::kBadInputBl);
    return;
  }
  const double h = FieldNumber(w, Field::kTkyh);
  TransformAndShow(w, proj, x, y, h, false, text::kNoParamsBl);
}

void ArrowHandler(FrmMain& w) {
  ModuleState& st = w.state();
  std::string description;
  try {
    st.geo.zone = geo::ParseZoneItem(U8(w.zoneItem()));
    const geo::Projection proj(st.geo);
    st.fieldSide = FieldSide::kPre;
    if (w.latLonInput()) {
      CalcFromBl(w, proj);
    } else {
      CalcFromXy(w, proj);
    }
    w.SetPrintEnabled(true);
    return;
  } catch (const VarnoError& e) {
    description = e.description();
  } catch (const std::exception& e) {
    description = e.what();
  }
  w.messages().Show(description + text::kCheckInputTail, kProgramTitle, MessageIcon::kNone);
}

}  // namespace varno::ui
