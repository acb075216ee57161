#include "batch/convert.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

#include "batch/io.h"
#include "geodesy/angles.h"
#include "geodesy/ellipsoid.h"
#include "text/cp932.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number.h"
#include "text/paths.h"
#include "text/version.h"

namespace varno::batch {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kOutOfRange = "Out of range";
constexpr int kEllipsoidGrs80 = 2;
// Files of more than this many lines show their progress every 100th line.
constexpr long long kEveryLineLimit = 1000;
constexpr long long kProgressStep = 100;

std::string SameFileMessage() {
  return "出力ファイルに入力ファイルと同じファイルが選択されました。入力ファイルが失われないよう，"
         "別の出力ファイルを選択して下さい。";
}

// The result file opened by the dialog must not be the input file itself
// (it was emptied when opened, and reading while writing it would not end).
void RefuseSameFile(const std::string& inPath, std::FILE* out) {
  if (out == nullptr) return;  // reported when the header is written
  struct stat in {
  }, res{};
  if (::stat(inPath.c_str(), &in) != 0 || ::fstat(fileno(out), &res) != 0) return;
  if (in.st_dev == res.st_dev && in.st_ino == res.st_ino)
    throw FileError(kErrPathAccess, SameFileMessage());
}

// Fields 1..3 as numbers. A field that is not a number is named in the error's
// description; the field is CP932 bytes, so it is decoded for the message box,
// and a very long one is shortened.
double FieldNumber(std::string_view field) {
  try {
    return ParseNumber(field);
  } catch (const ConversionError&) {
    constexpr std::size_t kShown = 40;
    if (field.size() <= kShown) throw ConversionError(Cp932ToUtf8(field));
    throw ConversionError(Cp932ToUtf8(field.substr(0, kShown)) + "…");
  }
}

// One run of Bl_File or XY_File.
class Run {
 public:
  Run(BatchContext& ctx, Converter c)
      : ctx_(ctx), conv_(c), repStatus_(Utf8ToCp932(params::kStatusRep)) {}

  RunOutcome Execute();

 private:
  void WriteHeader(std::string& out);
  void ConvertBl(const LineFields& f, std::string& out);
  void ConvertXy(const LineFields& f, std::string& out);
  const geo::LatLonWindow& RangeWindow();
  void TakeResult(const params::TransformOutput& t, const std::string& status, bool angles,
                  PointColumns& p);
  std::string_view StatusBytes(const std::string& status);
  void ResetAfterRun();

  BatchContext& ctx_;
  Converter conv_;
  std::string repStatus_;  // "*代表点" in CP932
  std::string otherStatus_;
  LineBuilder builder_;
  geo::LatLonWindow window_ = geo::kGeneralWindow;
  double windowLat_ = 0, windowLon_ = 0;
  bool windowValid_ = false;
};

void Run::WriteHeader(std::string& out) {
  const params::ParamStore& st = ctx_.store;
  HeaderFields h;
  h.outFileName = ToCp932Lenient(FileNameOf(ctx_.files.outFilePath));
  h.paraFileName = ToCp932Lenient(FileNameOf(st.paraFilePath));
  h.paraVersion = st.version;
  h.rangeText = st.rangeText;
  h.methodText = st.methodText;
  h.paraZoneNo = st.zoneNo;
  h.inFileName = ToCp932Lenient(FileNameOf(ctx_.files.inFilePath));
  const bool angles = conv_ == Converter::kXy && ctx_.view.CurrentProcess() == Process::kXyBl;
  AppendHeader(conv_, ctx_.view.WithInputValues(), angles, h, out);
}

std::string_view Run::StatusBytes(const std::string& status) {
  if (status.empty()) return {};
  if (status == params::kStatusRep) return repStatus_;
  otherStatus_ = ToCp932Lenient(status);
  return otherStatus_;
}

// The corrected point of a converted line, with its angles when they are shown.
void Run::TakeResult(const params::TransformOutput& t, const std::string& status, bool angles,
                     PointColumns& p) {
  if (angles) {
    p.lat = geo::FormatDms5(Checked(t.b2 * geo::kRadToDeg, "緯度"));
    p.lon = geo::FormatDms5(Checked(t.l2 * geo::kRadToDeg, "経度"));
  }
  p.x2 = t.x2;
  p.y2 = t.y2;
  p.h2 = t.h2;
  p.corrected = true;
  p.status = StatusBytes(status);
}

// The validity window of the selected zone, derived again only when the
// zone's origin has changed (a pure function of it).
const geo::LatLonWindow& Run::RangeWindow() {
  const geo::ZoneSelection& z = ctx_.geo.zone;
  if (!windowValid_ || z.originLat != windowLat_ || z.originLon != windowLon_) {
    const double originLat = geo::DmsToDeg(z.originLat).degrees;
    const double originLon = geo::DmsToDeg(z.originLon).degrees;
    window_ = ctx_.store.zoneNo == 0 ? geo::kGeneralWindow : geo::ZoneWindow(originLat, originLon);
    windowLat_ = z.originLat;
    windowLon_ = z.originLon;
    windowValid_ = true;
  }
  return window_;
}

void Run::ConvertBl(const LineFields& f, std::string& out) {
  PointColumns p;
  p.in1 = FieldNumber(f.field[0]);
  p.in2 = FieldNumber(f.field[1]);
  p.inH = FieldNumber(f.field[2]);
  p.name = f.field[3];
  const double b = geo::DmsToDeg(p.in1).degrees;
  const double l = geo::DmsToDeg(p.in2).degrees;
  const int paraZone = ctx_.store.zoneNo;
  const geo::LatLonWindow& window = RangeWindow();
  const bool latOk = window.ContainsLat(b);
  if (!latOk || !window.ContainsLon(l)) {
    ctx_.report.mainStatus.SetStatusText(RangeMessage(!latOk, paraZone));
    ctx_.report.mainStatus.SetStatusColor(colors::kDarkRed);
  } else {
    const double phi = Checked(b * geo::kDegToRad, "緯度");
    const double lambda = Checked(l * geo::kDegToRad, "経度");
    const geo::PlaneResult xy = geo::CalcBl2xy(ctx_.geo, true, phi, lambda, kEllipsoidGrs80);
    params::TransformOutput t;
    t.b2 = phi;
    t.l2 = lambda;
    const std::string status = params::TransformPoint(ctx_.store, ctx_.mode, ctx_.geo, ctx_.report,
                                                      xy.x, xy.y, p.inH, t, b, l);
    if (status != params::kStatusErr) TakeResult(t, status, true, p);
  }
  builder_.AppendBl(ctx_.view.WithInputValues(), p, out);
}

void Run::ConvertXy(const LineFields& f, std::string& out) {
  PointColumns p;
  p.in1 = FieldNumber(f.field[0]);
  p.in2 = FieldNumber(f.field[1]);
  p.inH = FieldNumber(f.field[2]);
  p.name = f.field[3];
  // The angles of the input point are not used by the correction: the call
  // matters only for what CalcXy2bl reports when the point breaks it, and the
  // point goes on either way. Within kInverseSafeRange of the origin no step
  // of the inverse can fail, so the call is skipped there (half the work of a
  // line).
  double b = 0, l = 0;
  if (!(std::fabs(p.in1) <= geo::kInverseSafeRange && std::fabs(p.in2) <= geo::kInverseSafeRange)) {
    const geo::GeoResult g =
        params::CalcXy2bl(ctx_.geo, true, kEllipsoidGrs80, p.in1, p.in2, ctx_.report);
    b = Checked(g.phi * geo::kRadToDeg, "緯度");
    l = Checked(g.lambda * geo::kRadToDeg, "経度");
  }
  params::TransformOutput t;
  const std::string status = params::TransformPoint(ctx_.store, ctx_.mode, ctx_.geo, ctx_.report,
                                                    p.in1, p.in2, p.inH, t, b, l);
  const bool angles = ctx_.view.CurrentProcess() == Process::kXyBl;
  if (status != params::kStatusErr) {
    TakeResult(t, status, angles, p);
  } else {
    p.status = kOutOfRange;
  }
  builder_.AppendXy(ctx_.view.WithInputValues(), angles, p, out);
}

void Run::ResetAfterRun() {
  ctx_.view.ShowBreak(false);
  ctx_.files.inFileChosen = false;
  ctx_.files.outFileChosen = false;
  ctx_.view.EnableStart(false);
}

RunOutcome Run::Execute() {
  BatchView& view = ctx_.view;
  BatchFiles& files = ctx_.files;
  view.ShowBreak(true);
  std::optional<LineReader> in;
  ResultWriter writer(files.outFile);
  std::string& buf = writer.buffer();
  std::size_t lineStart = 0;  // where the line being built begins in buf
  int32_t i = 0;
  try {
    RefuseSameFile(files.inFilePath, files.outFile);
    const long long count = CountLines(files.inFilePath);
    if (count > INT32_MAX) throw OverflowError("Long");
    const int32_t n = static_cast<int32_t>(count);
    view.SetLineText(LineCountText(n));
    in.emplace(files.inFilePath);
    WriteHeader(buf);
    writer.Flush();
    // An empty file gets a one-step scale, filled at the end.
    const long progressMax = n > 0 ? n : 1;
    view.SetProgressMax(progressMax);
    view.SetPercentText("処理中...");

    LineFields fields;
    std::string_view line;
    for (;;) {
      if (in->AtEnd()) break;
      if (ctx_.cancelRequested) {
        writer.Flush();
        in.reset();
        CloseResultFile(files.outFile);
        view.SetBusy(false);
        ctx_.cancelRequested = false;
        ResetAfterRun();
        return RunOutcome::kCancelled;
      }
      in->Next(line);
      view.LineStarted(static_cast<long>(i) + 1);
      lineStart = buf.size();
      switch (ClassifyLine(line, fields)) {
        case LineKind::kData:
          if (conv_ == Converter::kBl) {
            ConvertBl(fields, buf);
          } else {
            ConvertXy(fields, buf);
          }
          break;
        default:
          buf.append(line);
          buf.append(kCrLf);
          break;
      }
      lineStart = buf.size();
      writer.MaybeFlush();
      lineStart = buf.size();
      i = AddInt32(i, 1);
      if (n > kEveryLineLimit && i % kProgressStep != 0) continue;
      view.SetProgress(i);
      view.SetPercentText(ProgressText(i, n));
      view.Yield();
    }

    writer.Flush();
    in.reset();
    CloseResultFile(files.outFile);
    view.SetProgress(progressMax);
    view.SetPercentText(ProgressText(i, n));
    view.SetDialogStatus(FinishedText(i), colors::kLightCyan);
    ResetAfterRun();
    if (view.ShowResultFile()) view.OpenOutFileView(files.outFilePath);
    return RunOutcome::kFinished;
  } catch (const std::exception& e) {
    RunOutcome outcome = RunOutcome::kOtherError;
    std::string description = e.what();
    if (const auto* ve = dynamic_cast<const VarnoError*>(&e)) {
      if (ve->IsOverflow()) outcome = RunOutcome::kOverflowError;
    } else if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
      description = "メモリが不足しています。";
    }
    // Keep every complete line written before the error; a half-built line is
    // dropped. A failing write here cannot be reported better than the error.
    if (lineStart <= buf.size()) buf.resize(lineStart);
    try {
      writer.Flush();
    } catch (const std::exception&) {
    }
    in.reset();
    try {
      CloseResultFile(files.outFile);
    } catch (const std::exception&) {
    }
    if (outcome == RunOutcome::kOverflowError) {
      view.SetDialogStatus(OverflowMessage(conv_), colors::kGreen);
    } else {
      ctx_.report.messages.Show(OtherErrorMessage(conv_, description), kProgramTitle,
                                MessageIcon::kCritical);
    }
    ResetAfterRun();
    return outcome;
  }
}

const NumberPattern& PercentPattern() {
  static const NumberPattern pattern("#0.0");
  return pattern;
}

}  // namespace

std::string LineCountText(long long n) {
  return "全" + SpacedNumber(n) + "行";
}

std::string ProgressText(long long i, long long n) {
  // An empty file is complete from the start.
  const double percent = n > 0 ? static_cast<double>(i) * 100.0 / static_cast<double>(n) : 100.0;
  return "処理状況 " + PercentPattern().Format(percent) + "% " + SpacedNumber(i) + "行";
}

std::string FinishedText(long long i) {
  return "ファイル一括計算処理が終了しました。\u3000" + SpacedNumber(i) + "行を処理しました。";
}

std::string RangeMessage(bool latitude, int paraZoneNo) {
  if (paraZoneNo == 0) {
    return latitude ? "緯度は 23～46 の範囲です。入力し直して下さい。in Bl_File"
                    : "経度は 122～146 の範囲です。入力し直して下さい。in Bl_File";
  }
  return std::string(latitude ? "緯度は座標系 " : "経度は座標系 ") + SpacedNumber(paraZoneNo) +
         " 系の範囲外です。入力し直して下さい。in Bl_File";
}

std::string OverflowMessage(Converter c) {
  return std::string("入力されたデータに問題があります。計算は中断しました。 in ") +
         (c == Converter::kBl ? "Bl_File" : "XY_File");
}

std::string OtherErrorMessage(Converter c, const std::string& description) {
  return std::string("入力されたデータに問題があると思われます。計算は中断しました。 in ") +
         (c == Converter::kBl ? "Bl_File" : "XY_File") + description;
}

RunOutcome Bl_File(BatchContext& ctx) {
  return Run(ctx, Converter::kBl).Execute();
}

RunOutcome XY_File(BatchContext& ctx) {
  return Run(ctx, Converter::kXy).Execute();
}

std::string CheckOutputPath(const std::string& inFilePath, const std::string& outFilePath) {
  namespace fs = std::filesystem;
  if (inFilePath.empty() || outFilePath.empty()) return {};
  std::error_code ec;
  const fs::path in(inFilePath), out(outFilePath);
  if (fs::exists(in, ec) && fs::exists(out, ec)) {
    if (fs::equivalent(in, out, ec) && !ec) return SameFileMessage();
    return {};
  }
  const fs::path a = fs::weakly_canonical(fs::absolute(in, ec), ec);
  std::error_code ec2;
  const fs::path b = fs::weakly_canonical(fs::absolute(out, ec2), ec2);
  if (!ec && !ec2 && a == b) return SameFileMessage();
  if (in.lexically_normal() == out.lexically_normal()) return SameFileMessage();
  return {};
}

}  // namespace varno::batch
