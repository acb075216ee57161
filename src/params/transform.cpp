#include "params/transform.h"

#include <cmath>

#include "params/interpolate.h"
#include "text/errors.h"
#include "text/version.h"

namespace varno::params {

namespace {

// Every message of TransformPoint ends with this direction line.
constexpr const char* kDirectionText = "\r震災前成果から震災後成果へ（→右方向に）変換しました。";
constexpr const char* kRepOnlyMessage = "「地域毎のﾊﾟﾗﾒｰﾀ」における「代表点」で変換しました。";
constexpr const char* kRepFallbackMessage =
    "「地域毎の変換ﾊﾟﾗﾒｰﾀ」がなかったので，「地域毎のﾊﾟﾗﾒｰﾀ」における「代表点」で変換しました。";
constexpr const char* kGridMessage = "「地域毎の変換ﾊﾟﾗﾒｰﾀ」で変換しました。";

std::string WithDirection(const char* message) {
  return std::string(message) + kDirectionText;
}

// The three messages, put together once: the batch converters send one per line.
const std::string& RepOnlyText() {
  static const std::string text = WithDirection(kRepOnlyMessage);
  return text;
}
const std::string& RepFallbackText() {
  static const std::string text = WithDirection(kRepFallbackMessage);
  return text;
}
const std::string& GridText() {
  static const std::string text = WithDirection(kGridMessage);
  return text;
}

}  // namespace

const char* StatusText(TransformStatus status) {
  switch (status) {
    case TransformStatus::kGrid:
      return "";
    case TransformStatus::kRep:
      return "*代表点";
    case TransformStatus::kErr:
      break;
  }
  return "Err";
}

void ShiftByRepPoint(const ParamStore& store, Direction direction, double x, double y, double h,
                     double& x2, double& y2, double& h2) {
  if (direction == Direction::kAdd) {
    x2 = Checked(x + store.repDx, "ShiftByRepPoint");
    y2 = Checked(y + store.repDy, "ShiftByRepPoint");
    h2 = Checked(h + store.repDh, "ShiftByRepPoint");
  } else if (direction == Direction::kSubtract) {
    x2 = Checked(x - store.repDx, "ShiftByRepPoint");
    y2 = Checked(y - store.repDy, "ShiftByRepPoint");
    h2 = Checked(h - store.repDh, "ShiftByRepPoint");
  }
}

void CalcXy2bl(const geo::Projection& proj, double x, double y, geo::GeoResult& io,
               const Reporter& report, geo::Outputs outputs) {
  try {
    proj.Inverse(x, y, io, nullptr, outputs);
  } catch (const VarnoError& e) {
    ReportCalcXy2blError(e, report);
  }
}

void ReportCalcXy2blError(const VarnoError& e, const Reporter& report) {
  if (e.IsOverflow()) {
    report.mainStatus.SetStatusColor(colors::kGreen);
    report.mainStatus.SetStatusText(kXy2blOverflowText);
  } else {
    report.messages.Show(e.description() + kXy2blErrorText, kProgramTitle, MessageIcon::kNone);
  }
}

geo::GeoResult CalcXy2bl(const geo::Projection& proj, double x, double y, const Reporter& report) {
  geo::GeoResult r;
  CalcXy2bl(proj, x, y, r, report);
  return r;
}

TransformStatus TransformPoint(const ParamStore& store, ConversionMode mode,
                               const geo::Projection& proj, const Reporter& report, double x,
                               double y, double h, TransformOutput& out) {
  const TransformStatus status = CorrectPoint(store, mode, report, x, y, h, out);
  if (status == TransformStatus::kErr) return status;
  geo::GeoResult r;
  r.phi = out.b2;
  r.lambda = out.l2;
  // Only the corrected point's latitude and longitude are used. Within
  // kInverseSafeRange no step of the inverse can fail, and the convergence
  // and scale factor after them are left out there.
  CalcXy2bl(
      proj, out.x2, out.y2, r, report,
      geo::WithinInverseSafeRange(out.x2, out.y2) ? geo::Outputs::kPosition : geo::Outputs::kAll);
  out.b2 = r.phi;
  out.l2 = r.lambda;
  return status;
}

TransformStatus TransformPlanePoint(const ParamStore& store, ConversionMode mode,
                                    const geo::Projection& proj, const Reporter& report, double x,
                                    double y, double h, TransformOutput& out) {
  const TransformStatus status = CorrectPoint(store, mode, report, x, y, h, out);
  if (status == TransformStatus::kErr) return status;
  if (!geo::WithinInverseSafeRange(out.x2, out.y2)) {
    geo::GeoResult r;
    CalcXy2bl(proj, out.x2, out.y2, r, report);
  }
  return status;
}

TransformStatus CorrectPoint(const ParamStore& store, ConversionMode mode, const Reporter& report,
                             double x, double y, double h, TransformOutput& out) {
  double x2 = 0, y2 = 0, h2 = 0;
  TransformStatus status;
  if (mode == ConversionMode::kRepOnly) {
    ShiftByRepPoint(store, Direction::kAdd, x, y, h, x2, y2, h2);
    report.mainStatus.SetLastingStatusText(RepOnlyText());
    status = TransformStatus::kRep;
  } else {
    const Corrections c = InterpolatePara(store, x, y);
    if (c.dx == kNoParameters || c.dy == kNoParameters) {
      if (mode != ConversionMode::kGridThenRep) return TransformStatus::kErr;
      ShiftByRepPoint(store, Direction::kAdd, x, y, h, x2, y2, h2);
      report.mainStatus.SetLastingStatusText(RepFallbackText());
      status = TransformStatus::kRep;
    } else {
      x2 = Checked(x + c.dx, "TransformPoint");
      y2 = Checked(y + c.dy, "TransformPoint");
      h2 = Checked(h + c.dh, "TransformPoint");
      report.mainStatus.SetStatusColor(colors::kLightYellow);
      report.mainStatus.SetLastingStatusText(GridText());
      status = TransformStatus::kGrid;
    }
  }
  out.x2 = x2;
  out.y2 = y2;
  out.h2 = h2;
  return status;
}

}  // namespace varno::params
