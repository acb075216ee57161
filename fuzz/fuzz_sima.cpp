// SIMA records and CSV lines: a record that is not a convertible A01 point is
// written unchanged; a converted one changes only inside its X, Y and H
// fields; CSV fields 1-3 hold no comma and no blank at their ends.
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/formats.h"
#include "batch/sima.h"
#include "fuzz_support.h"

namespace {

using namespace varno::batch;

struct Shift : PointCorrector {
  CorrectedPoint Correct(double x, double y, double h) const override {
    CorrectedPoint c;
    c.outcome = PointOutcome::kGrid;
    c.x = x * 3 + 0.5;
    c.y = y - 1e9;
    c.h = h / 7;
    return c;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using varno::fuzz::Require;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const Shift shift;
  std::string out;
  const sima::RecordResult r = sima::ConvertRecord(line, shift, out);
  Require(out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0, "one CR LF record");
  if (!r.isPoint || r.outcome == PointOutcome::kNotConverted) {
    Require(std::string_view(out).substr(0, out.size() - 2) == line, "unchanged record");
  } else {
    const std::size_t xAt = static_cast<std::size_t>(r.fields.x.data() - line.data());
    Require(out.compare(0, xAt, line.substr(0, xAt)) == 0, "bytes before X unchanged");
    const std::string_view last = r.fields.hasH ? r.fields.h : r.fields.y;
    const std::size_t tail =
        line.size() - static_cast<std::size_t>(last.data() - line.data()) - last.size();
    Require(out.compare(out.size() - 2 - tail, tail, line.substr(line.size() - tail)) == 0,
            "bytes after the last number unchanged");
  }
  std::string report;
  sima::AppendReportLine(1, r, report);

  const LineFields f = SplitCsvLine(line);
  for (int i = 0; i < f.k && i < 3; ++i) {
    const std::string_view v = f.field[i];
    Require(v.find(',') == std::string_view::npos, "no comma inside fields 1-3");
    Require(v.empty() || (v.front() != ' ' && v.back() != ' '), "fields 1-3 trimmed");
  }
  return 0;
}
