// The conversion of one batch input line, apart from reading, writing and
// the windows: a LineConverter is built once per run from the run's settings,
// and its Convert touches nothing but its arguments, so several threads may
// convert different lines with one converter at the same time.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "batch/formats.h"
#include "batch/layout.h"
#include "batch/lines.h"
#include "batch/sima.h"
#include "geodesy/projection.h"
#include "params/interpolate.h"
#include "params/store.h"
#include "params/transform.h"
#include "text/report.h"

namespace varno::batch {

// The choices of a run, read once when it starts.
struct RunSettings {
  const params::ParamStore& store;
  params::ConversionMode mode = params::ConversionMode::kGridOnly;
  Process process = Process::kXy;  // opt1 / opt2 / opt3
  bool withInputValues = false;    // chkInValue
  geo::GeoState geo;               // ellipsoid table and the zone chosen for the run
  // Text and CSV lines give the usual result lines; a SIMA file is converted
  // record for record (X/Y -> X/Y/H, the process is not consulted).
  InputFormat format = InputFormat::kText;
};

// What became of one input line.
enum class LineOutcome {
  kCopied,        // empty, comment or other line: written back unchanged
  kGrid,          // corrected by the grid
  kRep,           // corrected by the representative point
  kNotConverted,  // no parameters for the point ("-9999." / "Out of range")
  kRangeFailure,  // latitude or longitude outside the zone's window
};

// The point of a data line, for a picture of the run.
struct LinePoint {
  long lineNumber = 0;               // 1-based, as the driver passed it
  double in1 = 0, in2 = 0, inH = 0;  // the numbers read: packed latitude/longitude or X/Y, H
  std::string_view name;             // field 4, a view into the input line
  bool hasPlane = false;             // x, y hold the input point on the plane
  double x = 0, y = 0;               // metres
  bool corrected = false;            // x2, y2, h2 hold the corrected point
  double x2 = 0, y2 = 0, h2 = 0;     // metres
};

// One thing a line tells the windows: a main-status text or colour, or a
// message box.
struct LineMessage {
  enum class Kind { kStatusText, kStatusColor, kMessageBox };
  Kind kind = Kind::kStatusText;
  std::string text;          // status text or box text (UTF-8), unless `lasting` holds it
  std::string_view lasting;  // a status text valid as long as the program runs, not copied
  Rgb color{0, 0, 0};        // kStatusColor
  std::string title;         // kMessageBox
  MessageIcon icon = MessageIcon::kNone;
  std::string_view Text() const { return lasting.data() != nullptr ? lasting : text; }
};

// The messages of one line, in the order raised. It stands in for the main
// status and the message service while the line is converted; its slots are
// reused from line to line, so a steady run allocates nothing here.
class LineMessages : public StatusSink, public MessageService {
 public:
  void SetStatusText(std::string_view text) override;
  void SetStatusColor(Rgb color) override;
  // Kept as a view: the thread that replays the line then reads the one
  // constant text, not a copy per line.
  void SetLastingStatusText(std::string_view text) override;
  void Show(std::string_view text, std::string_view title, MessageIcon icon) override;
  // Never asked during a conversion; answers No.
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const LineMessage& operator[](std::size_t i) const { return items_[i]; }
  void Clear() { count_ = 0; }
  // Sends every message, in order, to the windows.
  void ReplayTo(const Reporter& report) const;

 private:
  LineMessage& Next(LineMessage::Kind kind);
  std::vector<LineMessage> items_;
  std::size_t count_ = 0;
};

// Everything one line gave. Keep one per worker (or per line in flight) and
// reuse it: Convert resets it.
struct LineResult {
  LineOutcome outcome = LineOutcome::kCopied;
  LinePoint point;
  LineMessages messages;
  // Set when the line stopped the run (the error the run reports); the
  // messages are those raised before it.
  std::exception_ptr error;
  // SIMA A01 records: the run report's line (CP932, CR LF), and for a point
  // left unconverted its line of the closing warning (UTF-8). Empty otherwise.
  std::string report;
  std::string notConverted;
  LineBuilder scratch;  // working cells of the line layout
};

// The first steps of a data line, done a few lines ahead of its turn
// (LineConverter::Prepare): its fields and numbers, and for a latitude and
// longitude inside the zone's window its point on the plane; a SIMA record
// split. Convert then starts from them.
struct PreparedLine {
  bool ready = false;         // false: Convert does every step itself
  sima::ParsedRecord record;  // a SIMA record
  LineFields fields;
  double in1 = 0, in2 = 0, inH = 0;
  double phi = 0, lambda = 0;  // latitude/longitude lines
  geo::PlaneResult xy;
};

class LineConverter {
 public:
  // `converter` is Bl_File's or XY_File's conversion. Derives the projection
  // of the settings' zone (GRS80) and the zone's range window. Throws as
  // geo::Projection does.
  LineConverter(const RunSettings& settings, Converter converter);

  // Converts one input line (without its line end) and appends its result
  // line, CR LF included, to `out`. Does not throw: an error that stops the
  // run goes into result.error, and `out` is then as it was on entry.
  // `prepared`, when given, is what Prepare made of this same line.
  void Convert(std::string_view line, long lineNumber, std::string& out, LineResult& result,
               const PreparedLine* prepared = nullptr) const;

  // Ahead of Convert(line): starts fetching from memory the grid records the
  // line's point will need, so that converting the lines before it hides the
  // wait. A data line or SIMA record is read (and a latitude/longitude line
  // projected) here, into `prepared`, where every step succeeds. Changes no
  // result whatever the line holds: a line with anything unusual is left to
  // Convert.
  void Prepare(std::string_view line, PreparedLine& prepared) const;

  Converter converter() const { return conv_; }
  // The X/Y converter adds the result latitude/longitude columns.
  bool angles() const { return angles_; }
  bool withInputValues() const { return withInput_; }

 private:
  void ConvertBl(const LineFields& f, const PreparedLine* prepared, std::string& out,
                 LineResult& r) const;
  void ConvertXy(const LineFields& f, const PreparedLine* prepared, std::string& out,
                 LineResult& r) const;
  void ConvertSima(std::string_view record, long lineNumber, const PreparedLine* prepared,
                   std::string& out, LineResult& r) const;
  bool PrepareLine(std::string_view line, PreparedLine& a) const;
  bool PrepareRecord(std::string_view record, PreparedLine& a) const;
  // Asks for the grid records around a point of the plane.
  void PrefetchCell(double x, double y) const;
  void TakeResult(const params::TransformOutput& t, params::TransformStatus status, bool angles,
                  PointColumns& p, LineResult& r) const;

  const params::ParamStore& store_;
  params::ConversionMode mode_;
  Converter conv_;
  bool angles_;
  bool withInput_;
  InputFormat format_;
  geo::Projection proj_;
  geo::LatLonWindow window_;
  std::string repStatus_;  // "*代表点" in CP932
};

// The main status after a failed range test of the latitude/longitude
// converter (UTF-8).
std::string RangeMessage(bool latitude, int paraZoneNo);

}  // namespace varno::batch
