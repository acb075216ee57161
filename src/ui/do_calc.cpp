#include "ui/do_calc.h"

#include <exception>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/version.h"
#include "ui/frm_main.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::ui {

namespace {

const NumberPattern& XyPattern() {
  static const NumberPattern p("######.0000");
  return p;
}
const NumberPattern& ScalePattern() {
  static const NumberPattern p("#.00000000");
  return p;
}

using Field = FrmMain::Field;

// The fields of one side of the window.
struct SideFields {
  Field lat, lon, x, y, convergence, scale;
};

SideFields Side(FieldSide side) {
  if (side == FieldSide::kPre) {
    return {Field::kTB, Field::kTL, Field::kTkyx, Field::kTkyy, Field::kTkyn, Field::kTkys};
  }
  return {Field::kJB, Field::kJL, Field::kJgdx, Field::kJgdy, Field::kJgdn, Field::kJgds};
}

double FieldNumber(const FrmMain& w, Field f) {
  return ParseNumber(U8(w.field(f)));
}

// The convergence label shows the negated convergence, in degrees.
double DisplayedConvergence(double gamma) {
  return Checked(-gamma * geo::kRadToDeg, "真北方向角");
}
QString ConvergenceText(double d) {
  return Q(geo::DmsText3(geo::FormatDms3(d)));
}

// Tells the user when the footpoint iteration does not settle; the
// computation then goes on with the last value.
class NotSettledMessage : public geo::NotSettledHook {
 public:
  explicit NotSettledMessage(MessageService& m) : m_(m) {}
  void OnNotSettled() override { m_.Show(text::kNotSettled, kProgramTitle, MessageIcon::kNone); }

 private:
  MessageService& m_;
};

}  // namespace

bool DoCalcBl2xy(FrmMain& w, const geo::Projection& proj, FieldSide side, double& phi,
                 double& lambda, double& x, double& y) {
  ModuleState& st = w.state();
  const SideFields f = Side(side);
  try {
    phi = geo::DmsToDeg(FieldNumber(w, f.lat)).degrees;
    lambda = geo::DmsToDeg(FieldNumber(w, f.lon)).degrees;
    double phi0 = geo::DmsToDeg(proj.zone().originLat).degrees;
    double lambda0 = geo::DmsToDeg(proj.zone().originLon).degrees;

    const int16_t paraZone = st.store.zoneNo;
    const geo::LatLonWindow window =
        paraZone != 0 ? geo::ZoneWindow(phi0, lambda0) : geo::kGeneralWindow;
    const char* failure = nullptr;
    std::string message;
    if (!window.ContainsLat(phi)) {
      failure = paraZone != 0 ? text::kLatZonePrefix : text::kLatGeneral;
    } else if (!window.ContainsLon(lambda)) {
      failure = paraZone != 0 ? text::kLonZonePrefix : text::kLonGeneral;
    }
    if (failure) {
      message = failure;
      if (paraZone != 0) message += SpacedNumber(paraZone) + text::kZoneTail;
      w.SetStatusColor(colors::kDarkRed);
      w.SetStatusText(message);
      return false;
    }

    phi = Checked(phi * geo::kDegToRad);
    lambda = Checked(lambda * geo::kDegToRad);
    phi0 = Checked(phi0 * geo::kDegToRad);
    lambda0 = Checked(lambda0 * geo::kDegToRad);

    const geo::PlaneResult r = proj.Forward(phi, lambda);
    x = r.x;
    y = r.y;
    w.ShowSubFrame(side, false);
    w.SetField(f.x, Q(XyPattern().Format(r.x)));
    w.SetField(f.y, Q(XyPattern().Format(r.y)));
    w.SetField(f.convergence, ConvergenceText(DisplayedConvergence(r.gamma)));
    w.SetField(f.scale, Q(ScalePattern().Format(r.m)));
    return true;
  } catch (const VarnoError& e) {
    if (e.IsOverflow()) {
      w.SetStatusColor(colors::kGreen);
      w.SetStatusText(text::kBl2xyOverflow);
    } else {
      w.messages().Show(e.description() + text::kBl2xyError, kProgramTitle, MessageIcon::kNone);
    }
  } catch (const std::exception& e) {
    w.messages().Show(std::string(e.what()) + text::kBl2xyError, kProgramTitle, MessageIcon::kNone);
  }
  return false;
}

bool DoCalcXy2bl(FrmMain& w, const geo::Projection& proj, FieldSide side, double x, double y,
                 double& phi, double& lambda) {
  const SideFields f = Side(side);
  try {
    NotSettledMessage hook(w.messages());
    geo::GeoResult r;
    proj.Inverse(x, y, r, &hook);
    phi = Checked(r.phi * geo::kRadToDeg, "緯度");
    lambda = Checked(r.lambda * geo::kRadToDeg, "経度");
    const double d = DisplayedConvergence(r.gamma);
    w.SetField(f.lat, Q(geo::DmsText5(geo::FormatDms5(phi))));
    w.SetField(f.lon, Q(geo::DmsText5(geo::FormatDms5(lambda))));
    w.SetField(f.convergence, ConvergenceText(d));
    w.SetField(f.scale, Q(ScalePattern().Format(r.m)));
    return true;
  } catch (const VarnoError& e) {
    if (e.IsOverflow()) {
      w.SetStatusColor(colors::kGreen);
      w.SetStatusText(text::kXy2blOverflow);
    } else {
      w.messages().Show(e.description() + text::kXy2blError, kProgramTitle, MessageIcon::kNone);
    }
  } catch (const std::exception& e) {
    w.messages().Show(std::string(e.what()) + text::kXy2blError, kProgramTitle, MessageIcon::kNone);
  }
  return false;
}

}  // namespace varno::ui
