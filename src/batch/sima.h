// SIMA coordinate files (.sim): CP932 records, one per line, fields separated
// by commas, the first field the record type. Only the A01 records (point
// number, name, X, Y, H) carry coordinates; every other record, and every byte
// of an A01 record other than its X, Y and H numbers, is copied as read.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/format.h"

namespace varno::batch {

// What the correction of one plane rectangular point gave.
enum class PointOutcome { kGrid, kRep, kNotConverted };

struct CorrectedPoint {
  PointOutcome outcome = PointOutcome::kNotConverted;
  double x = 0, y = 0, h = 0;  // when converted
  std::string reason;          // when not converted (UTF-8)
};

// The point transformation in the zone of the run, as the record converters
// need it. Implementations never throw: a failing computation is a point that
// was not converted, with the error's description as reason.
class PointCorrector {
 public:
  virtual ~PointCorrector() = default;
  virtual CorrectedPoint Correct(double x, double y, double h) const = 0;
};

namespace sima {

// Why an A01 record cannot be converted.
enum class Problem {
  kNone,
  kTooFewFields,       // the record ends before Y
  kUnterminatedQuote,  // a quoted field without its closing quote
  kInvalidText,        // the point number or name is not valid CP932
  kXNotNumber,
  kYNotNumber,
  kHNotNumber,  // H present, but not a number
};

// The reason shown for a problem (UTF-8).
std::string_view ProblemText(Problem p);

// The fields of an A01 record, as views into the record.
struct PointFields {
  std::string_view number, name;  // blanks around them and quotes kept
  std::string_view x, y, h;       // whole fields, blanks included; h empty when absent
  bool hasH = false;              // H holds something other than blanks
  // The same five fields without the blanks around them (set for every A01
  // record): the report shows these, and a number is written where its text
  // stood.
  std::string_view numberText, nameText, xText, yText, hText;
};

struct ParsedRecord {
  bool isPoint = false;  // an A01 record
  Problem problem = Problem::kNone;
  PointFields fields;
  double x = 0, y = 0, h = 0;  // when isPoint and problem is kNone
};

// Splits a record (without its line end). Fields may be quoted ("..." with ""
// for a quote inside); commas inside quotes do not separate.
ParsedRecord ParseRecord(std::string_view record);

namespace detail {
// ParseRecord without its quick split of the usual record, for tests.
ParsedRecord ParseRecordGeneral(std::string_view record);
}  // namespace detail

// The digits after the decimal point of a number field (blanks around it
// allowed), at least 3.
int FieldDecimals(std::string_view field);

// Writes `value` with the field's decimals, right-aligned in the width the
// field's leading blanks and number take, followed by the field's trailing
// blanks. A value too wide for that width is written whole.
void AppendNumberInField(std::string_view field, double value, std::string& out);

// A corrected number as written into its field, without blanks. The quick
// formatter writes the usual number straight into the room held here; the
// text of the general formatter, of any length, is kept on the heap.
class NumberText {
 public:
  // Writes `value` by `pattern`, replacing the text held.
  void Write(const NumberPattern& pattern, double value);
  std::string_view view() const {
    if (general_) return text_;
    return {room_.data() + begin_, room_.size() - begin_};
  }
  operator std::string_view() const { return view(); }
  bool empty() const { return view().empty(); }
  friend bool operator==(const NumberText& a, std::string_view b) { return a.view() == b; }

 private:
  std::array<char, NumberPattern::kPlainBuffer> room_{};
  std::size_t begin_ = room_.size();  // the quick text runs from here to the room's end
  bool general_ = false;              // the text is text_
  std::string text_;
};

// What happened to one record.
struct RecordResult {
  bool isPoint = false;
  PointOutcome outcome = PointOutcome::kNotConverted;  // for A01 records
  Problem problem = Problem::kNone;
  std::string reason;     // for points not converted (UTF-8)
  PointFields fields;     // views into the input record
  NumberText x2, y2, h2;  // the numbers written, without blanks (h2 empty without H)
  bool hasPlane = false;  // x, y were read (the record has no problem)
  double x = 0, y = 0;
  bool corrected = false;  // the point was converted to these values
  double x2Value = 0, y2Value = 0, h2Value = 0;
};

// Converts one record into `out` (the record and CR LF). A record that is not
// A01, and an A01 record that cannot be converted, is written unchanged.
RecordResult ConvertRecord(std::string_view record, const PointCorrector& corrector,
                           std::string& out);
// The same, from `parsed`, which ParseRecord made of this same record.
RecordResult ConvertRecord(std::string_view record, const ParsedRecord& parsed,
                           const PointCorrector& corrector, std::string& out);

// The run report: a header, one line per A01 record and a summary, CP932
// with CR LF. Texts given here are CP932 bytes.
struct ReportHeader {
  std::string inFileName, outFileName;
  std::string paraFileName, paraVersion;
  long long zoneNo = 0;
  int mode = 2;
};

struct ReportCounts {
  long long points = 0;  // A01 records
  long long grid = 0, rep = 0, notConverted = 0;
};

// The report's path for a result path: its extension replaced by "_report.txt".
std::string ReportPathFor(std::string_view resultPath);

void AppendReportHeader(const ReportHeader& h, std::string& out);
void AppendReportLine(long long recordNo, const RecordResult& r, std::string& out);
void AppendReportSummary(const ReportCounts& c, std::string& out);

// A point not converted, for the closing warning (UTF-8; control characters
// of the file shown as "?").
std::string NotConvertedLine(long long recordNo, const RecordResult& r);

// Counts one record's result.
void CountRecord(const RecordResult& r, ReportCounts& c);

}  // namespace sima

}  // namespace varno::batch
