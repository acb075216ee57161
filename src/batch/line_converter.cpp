#include "batch/line_converter.h"

#include <cmath>
#include <cstdint>

#include "batch/corrector.h"
#include "batch/sima.h"
#include "codec/cp932.h"
#include "geodesy/angles.h"
#include "geodesy/ellipsoid.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"

namespace varno::batch {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kOutOfRange = "Out of range";

// Fields 1..3 as numbers. A field that is not a number is named in the error's
// description, decoded, escaped and shortened like every quoted input.
double FieldNumber(std::string_view field) {
  try {
    return ParseNumber(field);
  } catch (const ConversionError&) {
    throw ConversionError(QuoteCp932Field(field));
  }
}

// Field i (0..2) of a data line as a number: fields 1 and 2 as the
// classification read them, where it could.
double FieldNumber(const LineFields& f, int i) {
  if (i < 2 && f.known[i]) return f.value[i];
  return FieldNumber(f.field[i]);
}

// The validity window of a zone: the general window when the parameter file
// names no zone.
geo::LatLonWindow RangeWindow(const params::ParamStore& store, const geo::ZoneSelection& zone) {
  if (store.zoneNo == 0) return geo::kGeneralWindow;
  return geo::ZoneWindow(geo::DmsToDeg(zone.originLat).degrees,
                         geo::DmsToDeg(zone.originLon).degrees);
}

LineOutcome OutcomeOf(params::TransformStatus status) {
  switch (status) {
    case params::TransformStatus::kGrid:
      return LineOutcome::kGrid;
    case params::TransformStatus::kRep:
      return LineOutcome::kRep;
    case params::TransformStatus::kErr:
      break;
  }
  return LineOutcome::kNotConverted;
}

// The fields' texts, which the input cells show where their patterns allow.
void TakeTexts(const LineFields& f, PointColumns& p) {
  p.in1Text = f.field[0];
  p.in2Text = f.field[1];
  p.inHText = f.field[2];
}

void ReadPoint(const LineFields& f, PointColumns& p, LinePoint& point) {
  TakeTexts(f, p);
  p.in1 = FieldNumber(f, 0);
  p.in2 = FieldNumber(f, 1);
  p.inH = FieldNumber(f, 2);
  p.name = f.field[3];
  point.in1 = p.in1;
  point.in2 = p.in2;
  point.inH = p.inH;
  point.name = p.name;
}

// ReadPoint's work as Prepare did it.
void TakePoint(const PreparedLine& a, const LineFields& f, PointColumns& p, LinePoint& point) {
  TakeTexts(f, p);
  p.in1 = point.in1 = a.in1;
  p.in2 = point.in2 = a.in2;
  p.inH = point.inH = a.inH;
  p.name = point.name = f.field[3];
}

}  // namespace

// ---- LineMessages ----

LineMessage& LineMessages::Next(LineMessage::Kind kind) {
  if (count_ == items_.size()) items_.emplace_back();
  LineMessage& m = items_[count_++];
  m.kind = kind;
  m.lasting = {};
  return m;
}

void LineMessages::SetStatusText(std::string_view text) {
  Next(LineMessage::Kind::kStatusText).text.assign(text);
}

void LineMessages::SetLastingStatusText(std::string_view text) {
  Next(LineMessage::Kind::kStatusText).lasting = text;
}

void LineMessages::SetStatusColor(Rgb color) {
  Next(LineMessage::Kind::kStatusColor).color = color;
}

void LineMessages::Show(std::string_view text, std::string_view title, MessageIcon icon) {
  LineMessage& m = Next(LineMessage::Kind::kMessageBox);
  m.text.assign(text);
  m.title.assign(title);
  m.icon = icon;
}

void LineMessages::ReplayTo(const Reporter& report) const {
  for (std::size_t i = 0; i < count_; ++i) {
    const LineMessage& m = items_[i];
    switch (m.kind) {
      case LineMessage::Kind::kStatusText:
        report.mainStatus.SetStatusText(m.Text());
        break;
      case LineMessage::Kind::kStatusColor:
        report.mainStatus.SetStatusColor(m.color);
        break;
      case LineMessage::Kind::kMessageBox:
        report.messages.Show(m.Text(), m.title, m.icon);
        break;
    }
  }
}

// ---- LineConverter ----

LineConverter::LineConverter(const RunSettings& settings, Converter converter)
    : store_(settings.store),
      mode_(settings.mode),
      conv_(converter),
      angles_(converter == Converter::kXy && settings.process == Process::kXyBl),
      withInput_(settings.withInputValues),
      format_(settings.format),
      proj_(settings.geo.ellipsoids, geo::EllipsoidEntry::kGrs80, settings.geo.zone),
      window_(RangeWindow(settings.store, settings.geo.zone)),
      repStatus_(Utf8ToCp932(params::StatusText(params::TransformStatus::kRep))) {}

// The corrected point of a converted line, with its angles when they are shown.
void LineConverter::TakeResult(const params::TransformOutput& t, params::TransformStatus status,
                               bool angles, PointColumns& p, LineResult& r) const {
  if (angles) {
    p.lat = geo::FormatDms5(Checked(t.b2 * geo::kRadToDeg, "緯度"));
    p.lon = geo::FormatDms5(Checked(t.l2 * geo::kRadToDeg, "経度"));
  }
  p.x2 = t.x2;
  p.y2 = t.y2;
  p.h2 = t.h2;
  p.corrected = true;
  if (status == params::TransformStatus::kRep) p.status = repStatus_;
  r.point.corrected = true;
  r.point.x2 = t.x2;
  r.point.y2 = t.y2;
  r.point.h2 = t.h2;
}

void LineConverter::ConvertBl(const LineFields& f, const PreparedLine* prepared, std::string& out,
                              LineResult& r) const {
  PointColumns p;
  double phi = 0, lambda = 0;
  geo::PlaneResult xy;
  if (prepared != nullptr) {
    TakePoint(*prepared, f, p, r.point);
    phi = prepared->phi;
    lambda = prepared->lambda;
    xy = prepared->xy;
  } else {
    ReadPoint(f, p, r.point);
    const double b = geo::DmsToDeg(p.in1).degrees;
    const double l = geo::DmsToDeg(p.in2).degrees;
    const bool latOk = window_.ContainsLat(b);
    if (!latOk || !window_.ContainsLon(l)) {
      r.messages.SetStatusText(RangeMessage(!latOk, store_.zoneNo));
      r.messages.SetStatusColor(colors::kDarkRed);
      r.outcome = LineOutcome::kRangeFailure;
      r.scratch.AppendBl(withInput_, p, out);
      return;
    }
    phi = Checked(b * geo::kDegToRad, "緯度");
    lambda = Checked(l * geo::kDegToRad, "経度");
    // Inside the window no step of the projection can fail: the convergence
    // and scale factor, which the line does not show, are left out.
    xy = proj_.Forward(phi, lambda, geo::Outputs::kPosition);
  }
  r.point.hasPlane = true;
  r.point.x = xy.x;
  r.point.y = xy.y;
  params::TransformOutput t;
  t.b2 = phi;
  t.l2 = lambda;
  const params::TransformStatus status =
      params::TransformPoint(store_, mode_, proj_, {r.messages, r.messages}, xy.x, xy.y, p.inH, t);
  if (status != params::TransformStatus::kErr) TakeResult(t, status, true, p, r);
  r.outcome = OutcomeOf(status);
  r.scratch.AppendBl(withInput_, p, out);
}

void LineConverter::ConvertXy(const LineFields& f, const PreparedLine* prepared, std::string& out,
                              LineResult& r) const {
  PointColumns p;
  if (prepared != nullptr) {
    TakePoint(*prepared, f, p, r.point);
  } else {
    ReadPoint(f, p, r.point);
  }
  r.point.hasPlane = true;
  r.point.x = p.in1;
  r.point.y = p.in2;
  const Reporter report{r.messages, r.messages};
  // The angles of the input point are not used by the correction: the call
  // matters only for what CalcXy2bl reports when the point breaks it, and the
  // point goes on either way (an angle too large for degrees stops the run).
  // Within kInverseSafeRange of the origin no step of the inverse can fail,
  // so the call is skipped there (half the work of a line).
  if (!geo::WithinInverseSafeRange(p.in1, p.in2)) {
    const geo::GeoResult g = params::CalcXy2bl(proj_, p.in1, p.in2, report);
    Checked(g.phi * geo::kRadToDeg, "緯度");
    Checked(g.lambda * geo::kRadToDeg, "経度");
  }
  params::TransformOutput t;
  // Without the angle columns the corrected point's latitude and longitude
  // are shown nowhere, and its inverse is left out where it can report
  // nothing (the larger part of such a line).
  const params::TransformStatus status =
      angles_ ? params::TransformPoint(store_, mode_, proj_, report, p.in1, p.in2, p.inH, t)
              : params::TransformPlanePoint(store_, mode_, proj_, report, p.in1, p.in2, p.inH, t);
  if (status != params::TransformStatus::kErr) {
    TakeResult(t, status, angles_, p, r);
  } else {
    p.status = kOutOfRange;
  }
  r.outcome = OutcomeOf(status);
  r.scratch.AppendXy(withInput_, angles_, p, out);
}

void LineConverter::ConvertSima(std::string_view record, long lineNumber,
                                const PreparedLine* prepared, std::string& out,
                                LineResult& r) const {
  const TransformCorrector corrector(store_, mode_, proj_, {r.messages, r.messages});
  const sima::RecordResult rec = prepared != nullptr
                                     ? sima::ConvertRecord(record, prepared->record, corrector, out)
                                     : sima::ConvertRecord(record, corrector, out);
  if (!rec.isPoint) return;
  r.point.name = rec.fields.name;
  r.point.hasPlane = rec.hasPlane;
  r.point.x = rec.x;
  r.point.y = rec.y;
  r.point.corrected = rec.corrected;
  r.point.x2 = rec.x2Value;
  r.point.y2 = rec.y2Value;
  r.point.h2 = rec.h2Value;
  switch (rec.outcome) {
    case PointOutcome::kGrid:
      r.outcome = LineOutcome::kGrid;
      break;
    case PointOutcome::kRep:
      r.outcome = LineOutcome::kRep;
      break;
    case PointOutcome::kNotConverted:
      r.outcome = LineOutcome::kNotConverted;
      r.notConverted = sima::NotConvertedLine(lineNumber, rec);
      break;
  }
  sima::AppendReportLine(lineNumber, rec, r.report);
}

void LineConverter::Prepare(std::string_view line, PreparedLine& prepared) const {
  prepared.ready = false;
  if (!store_.index || mode_ == params::ConversionMode::kRepOnly) return;
  try {
    if (!(format_ == InputFormat::kSima ? PrepareRecord(line, prepared)
                                        : PrepareLine(line, prepared))) {
      return;
    }
  } catch (...) {
    prepared.ready = false;
    return;  // Convert meets the same failure in its turn
  }
  PrefetchCell(prepared.xy.x, prepared.xy.y);
}

// The steps the conversion takes up to the grid, each as it takes them. A line
// that fails one of them, or a latitude/longitude outside the window, is not
// prepared. True when the point is known.
bool LineConverter::PrepareLine(std::string_view line, PreparedLine& a) const {
  const LineKind kind =
      format_ == InputFormat::kCsv ? ClassifyCsvLine(line, a.fields) : ClassifyLine(line, a.fields);
  if (kind != LineKind::kData) return false;
  a.in1 = FieldNumber(a.fields, 0);
  a.in2 = FieldNumber(a.fields, 1);
  a.inH = FieldNumber(a.fields, 2);
  if (conv_ == Converter::kBl) {
    const double b = geo::DmsToDeg(a.in1).degrees;
    const double l = geo::DmsToDeg(a.in2).degrees;
    if (!window_.ContainsLat(b) || !window_.ContainsLon(l)) return false;
    a.phi = Checked(b * geo::kDegToRad, "緯度");
    a.lambda = Checked(l * geo::kDegToRad, "経度");
    a.xy = proj_.Forward(a.phi, a.lambda, geo::Outputs::kPosition);
  } else {
    a.xy.x = a.in1;
    a.xy.y = a.in2;
  }
  a.ready = true;
  return true;
}

// A SIMA record split as the conversion splits it, kept for Convert whatever
// the record holds; true for a point whose X and Y were read.
bool LineConverter::PrepareRecord(std::string_view record, PreparedLine& a) const {
  a.record = sima::ParseRecord(record);
  a.ready = true;
  if (!a.record.isPoint || a.record.problem != sima::Problem::kNone) return false;
  a.xy.x = a.record.x;
  a.xy.y = a.record.y;
  return true;
}

void LineConverter::PrefetchCell(double x, double y) const {
  const double stepX = store_.gridStepX, stepY = store_.gridStepY;
  if (!(store_.gridMinX <= x && x < store_.gridMaxX && store_.gridMinY <= y &&
        y < store_.gridMaxY && stepX > 0 && stepY > 0)) {
    return;
  }
  const double nodeX = std::floor((x - store_.gridMinX) / stepX) * stepX + store_.gridMinX;
  const double nodeY = std::floor((y - store_.gridMinY) / stepY) * stepY + store_.gridMinY;
  store_.index->Prefetch(store_, nodeX, nodeY, stepX, stepY);
}

void LineConverter::Convert(std::string_view line, long lineNumber, std::string& out,
                            LineResult& result, const PreparedLine* prepared) const {
  result.outcome = LineOutcome::kCopied;
  // Field by field: cheaper than a block clear on the copy-only path.
  LinePoint& pt = result.point;
  pt.lineNumber = lineNumber;
  pt.in1 = pt.in2 = pt.inH = 0;
  pt.name = {};
  pt.hasPlane = pt.corrected = false;
  pt.x = pt.y = pt.x2 = pt.y2 = pt.h2 = 0;
  result.messages.Clear();
  if (result.error) result.error = nullptr;
  result.report.clear();
  result.notConverted.clear();
  const std::size_t start = out.size();
  if (prepared != nullptr && !prepared->ready) prepared = nullptr;
  try {
    LineFields fields;
    if (format_ == InputFormat::kSima) {
      ConvertSima(line, lineNumber, prepared, out, result);
      return;
    }
    if (prepared != nullptr) {
      if (conv_ == Converter::kBl) {
        ConvertBl(prepared->fields, prepared, out, result);
      } else {
        ConvertXy(prepared->fields, prepared, out, result);
      }
      return;
    }
    const LineKind kind =
        format_ == InputFormat::kCsv ? ClassifyCsvLine(line, fields) : ClassifyLine(line, fields);
    if (kind != LineKind::kData) {
      out.append(line);
      out.append(kCrLf);
      return;
    }
    if (conv_ == Converter::kBl) {
      ConvertBl(fields, nullptr, out, result);
    } else {
      ConvertXy(fields, nullptr, out, result);
    }
  } catch (...) {
    result.error = std::current_exception();
    if (start <= out.size()) out.resize(start);
  }
}

std::string RangeMessage(bool latitude, int paraZoneNo) {
  if (paraZoneNo == 0) {
    return latitude ? "緯度は 23～46 の範囲です。入力し直して下さい。in Bl_File"
                    : "経度は 122～146 の範囲です。入力し直して下さい。in Bl_File";
  }
  return std::string(latitude ? "緯度は座標系 " : "経度は座標系 ") + SpacedNumber(paraZoneNo) +
         " 系の範囲外です。入力し直して下さい。in Bl_File";
}

}  // namespace varno::batch
