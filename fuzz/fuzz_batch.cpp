// A whole batch conversion of fuzzed input against a small grid, with the
// files in memory and the grid set up once: a finished
// run writes the header and exactly one line per input line, copied lines are
// byte-identical, and no result column shows an infinity or NaN. A run stopped
// by an error keeps only complete lines, in order.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "batch/convert.h"
#include "batch/line_converter.h"
#include "batch/lines.h"
#include "fuzz_support.h"
#include "params/interpolate.h"
#include "support/silent_views.h"
#include "text/format.h"
#include "text/number.h"

namespace {

using namespace varno;
using namespace varno::batch;

struct Quiet : StatusSink, MessageService {
  void SetStatusText(std::string_view) override {}
  void SetStatusColor(Rgb) override {}
  void Show(std::string_view, std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }
};

// Zone 9 grid around the origin with a hole of nodes without parameters.
params::ParamStore SmallGrid(int16_t zone) {
  params::ParamStore s;
  s.paraFilePath = "/fuzz/Veltra.par";
  s.version = "1.0";
  s.zoneNo = zone;
  s.gridMinX = s.gridMinY = -5000;
  s.gridMaxX = s.gridMaxY = 5000;
  s.gridStepX = s.gridStepY = 1000;
  for (int i = -5; i <= 5; ++i) {
    for (int j = -5; j <= 5; ++j) {
      const bool hole = i > 2 && j > 2;
      s.records.push_back(
          {i * 1000.0, j * 1000.0, hole ? 0 : 0.5 + i * 0.01, hole ? 0 : -0.25 + j * 0.01, 0.125});
    }
  }
  s.count = static_cast<int32_t>(s.records.size() - 1);
  s.repDx = 1.25, s.repDy = 2.0, s.repDh = -0.5;
  s.index = params::GridIndex::Build(s);
  return s;
}

// The input's lines as the converters split them: CR LF, LF or a lone CR.
std::vector<std::string_view> InputLines(std::string_view in) {
  std::vector<std::string_view> lines;
  std::size_t p = 0;
  while (p < in.size()) {
    std::size_t q = in.find_first_of("\r\n", p);
    if (q == std::string_view::npos) {
      lines.push_back(in.substr(p));
      break;
    }
    lines.push_back(in.substr(p, q - p));
    p = q + 1;
    if (in[q] == '\r' && p < in.size() && in[p] == '\n') ++p;
  }
  return lines;
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < bytes.size()) {
    std::size_t q = bytes.find("\r\n", p);
    fuzz::Require(q != std::string::npos, "every result line ends with CR LF");
    lines.push_back(bytes.substr(p, q - p));
    p = q + 2;
  }
  return lines;
}

struct Outcome {
  RunOutcome outcome;
  std::string result;
};

// The input and result files live in memory (memfd), created once per
// process and reused: a run costs no file system work.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
    fuzz::Require(fd_ >= 0, "memfd_create works");
  }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
  void Set(std::string_view bytes) const {
    fuzz::Require(::ftruncate(fd_, 0) == 0, "memfd truncates");
    fuzz::Require(
        ::pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
        "memfd takes the input");
  }
  // A stream on a fresh descriptor, as the dialog's open result file.
  std::FILE* OpenForWriting() const {
    Set({});
    const int fd = ::dup(fd_);
    ::lseek(fd, 0, SEEK_SET);
    return ::fdopen(fd, "wb");
  }
  std::string Read() const {
    std::string bytes(static_cast<std::size_t>(::lseek(fd_, 0, SEEK_END)), '\0');
    fuzz::Require(::pread(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
                  "memfd reads back");
    return bytes;
  }

 private:
  int fd_;
};

// The two grids are set up once; a run only reads them.
const params::ParamStore& Grid(int16_t paraZone) {
  static const params::ParamStore zone9 = SmallGrid(9), zone0 = SmallGrid(0);
  return paraZone == 9 ? zone9 : zone0;
}

geo::GeoState Zone9() {
  geo::GeoState geo;
  geo.zone = geo::ParseZoneItem(geo::ZoneItems()[8]);
  return geo;
}

// The converting threads prepare every line ahead of its turn: any line must
// pass it without a fault, and convert from what was prepared exactly as from
// scratch.
void PrepareEach(const std::vector<std::string_view>& lines, bool bl, Process process,
                 bool withInput, params::ConversionMode mode, int16_t paraZone) {
  const RunSettings settings{Grid(paraZone), mode, process, withInput, Zone9()};
  const LineConverter converter(settings, bl ? Converter::kBl : Converter::kXy);
  LineResult scratch, ahead;
  std::string fromScratch, fromPrepared;
  for (std::string_view line : lines) {
    PreparedLine prepared;
    converter.Prepare(line, prepared);
    fromScratch.clear();
    fromPrepared.clear();
    converter.Convert(line, 1, fromScratch, scratch);
    converter.Convert(line, 1, fromPrepared, ahead, &prepared);
    fuzz::Require(fromScratch == fromPrepared && scratch.outcome == ahead.outcome &&
                      static_cast<bool>(scratch.error) == static_cast<bool>(ahead.error),
                  "a prepared line converts as from scratch");
  }
}

Outcome Convert(std::string_view input, bool bl, Process process, bool withInput,
                params::ConversionMode mode, int16_t paraZone) {
  static const MemoryFile inFile("in.txt"), outFile("out.txt");
  static const std::string inPath = inFile.Path(), outPath = outFile.Path();
  inFile.Set(input);
  const geo::GeoState geo = Zone9();
  BatchFiles files;
  files.inFilePath = inPath;
  files.outFilePath = outPath;
  files.outFile = outFile.OpenForWriting();
  fuzz::Require(files.outFile != nullptr, "result file opens");
  files.inFileChosen = files.outFileChosen = true;
  bool cancel = false;
  Quiet quiet;
  SilentBatchView view;
  const RunSettings settings{Grid(paraZone), mode, process, withInput, geo};
  BatchContext ctx{settings, files, cancel, view, {quiet, quiet}};
  const RunOutcome outcome = bl ? Bl_File(ctx) : XY_File(ctx);
  fuzz::Require(files.outFile == nullptr, "the run closes the result file");
  return {outcome, outFile.Read()};
}

// Header lines of a run with these choices, from a run on an empty input the
// first time they occur.
std::size_t HeaderLines(bool bl, Process process, bool withInput, params::ConversionMode mode,
                        int16_t paraZone) {
  static std::map<int, std::size_t> cache;
  const int key = (bl ? 1 : 0) | static_cast<int>(process) << 1 | (withInput ? 16 : 0) |
                  (paraZone == 9 ? 32 : 0);
  auto it = cache.find(key);
  if (it == cache.end())
    it = cache
             .emplace(key,
                      CrLfLines(Convert("", bl, process, withInput, mode, paraZone).result).size())
             .first;
  return it->second;
}

// The input columns of a written data line show each field's number as its
// column pattern prints it, whether the cell copied the field or formatted
// the number.
void RequireInputCells(const std::string& line, const LineFields& f, bool bl) {
  static const NumberPattern lat("000000.00000"), lon("0000000.00000"), xy("######0.0000"),
      h("####0.0000");
  double v[3];
  for (int k = 0; k < 3; ++k) {
    if (ReadNumber(f.field[k], v[k]) != NumberRead::kOk) return;
  }
  const std::string cells =
      bl ? FitLeft(lat.Format(v[0]), 14) + " " + FitLeft(lon.Format(v[1]), 15) + " " +
               FitRight(h.Format(v[2]), 12)
         : FitRight(xy.Format(v[0]), 12) + " " + FitRight(xy.Format(v[1]), 12) + " " +
               FitRight(h.Format(v[2]), 12);
  fuzz::Require(line.compare(0, cells.size(), cells) == 0,
                "input columns show the numbers as their patterns print them");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t opts = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool bl = (opts & 3) == 0;
  const Process process = (opts & 3) == 2 ? Process::kXyBl : (bl ? Process::kBl : Process::kXy);
  const bool withInput = (opts & 4) != 0;
  const auto mode = static_cast<params::ConversionMode>(1 + (opts >> 3) % 3);
  const int16_t paraZone = (opts & 0x40) ? 0 : 9;

  const std::size_t header = HeaderLines(bl, process, withInput, mode, paraZone);
  const Outcome run = Convert(input, bl, process, withInput, mode, paraZone);
  const std::vector<std::string> out = CrLfLines(run.result);
  const std::vector<std::string_view> in = InputLines(input);
  PrepareEach(in, bl, process, withInput, mode, paraZone);

  fuzz::Require(out.size() >= header, "the header is written");
  if (run.outcome == RunOutcome::kFinished) {
    fuzz::Require(out.size() == header + in.size(), "one result line per input line");
  } else {
    fuzz::Require(out.size() <= header + in.size(), "no more lines than the input has");
  }
  for (std::size_t i = header; i < out.size(); ++i) {
    const std::string_view line = in[i - header];
    LineFields f;
    if (ClassifyLine(line, f) != LineKind::kData) {
      fuzz::Require(out[i] == line, "copied lines are byte-identical");
    } else {
      fuzz::Require(!fuzz::HasNonFiniteText(out[i]) || fuzz::HasNonFiniteText(line),
                    "no inf/nan in result columns");
      if (withInput) RequireInputCells(out[i], f, bl);
    }
  }
  return 0;
}
