// Converting a 1,000,000-line file with each process of the batch dialog.
// The inputs are generated once into /tmp, inside a generated grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "batch/convert.h"
#include "batch/io.h"
#include "geodesy/angles.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/projection.h"
#include "params/reader.h"
#include "params/store.h"
#include "support/gridgen.h"
#include "support/silent_views.h"

namespace {

using namespace varno;
namespace fs = std::filesystem;

constexpr long kLines = 1000000;

struct NullStatus : StatusSink {
  void SetStatusText(std::string_view) override {}
  void SetStatusColor(Rgb) override {}
};
struct NullMessages : MessageService {
  long shown = 0;
  void Show(std::string_view, std::string_view, MessageIcon) override { ++shown; }
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }
};

// The grid and the two input files, made once.
struct Setup {
  params::ParamStore store;
  std::string blPath, xyPath, copyPath;
  Setup() {
    const fs::path dir = fs::temp_directory_path() / "varno_bench_batch";
    fs::create_directories(dir);
    const params::GridShape shape = params::LargeGridShape(300);
    store.paraFilePath = (dir / "Bench.par").string();
    params::WriteGridFile(shape, store.paraFilePath);
    bool cancel = false;
    params::SilentLoadView load;
    params::ReadParaFile(store, cancel, load);

    geo::GeoState geo;
    geo.zone = geo::ParseZoneItem(geo::ZoneItems()[static_cast<std::size_t>(shape.zone - 1)]);
    xyPath = (dir / "points_xy.in").string();
    blPath = (dir / "points_bl.in").string();
    copyPath = (dir / "comments.in").string();
    std::ofstream xy(xyPath, std::ios::binary), bl(blPath, std::ios::binary),
        copy(copyPath, std::ios::binary);
    // Points spread over the inner part of the grid.
    const double spanX = (shape.rows - 3) * shape.step, spanY = (shape.cols - 3) * shape.step;
    char line[160];
    for (long i = 0; i < kLines; ++i) {
      const double x = shape.minX + shape.step + std::fmod(i * 7919.123, spanX);
      const double y = shape.minY + shape.step + std::fmod(i * 104729.457, spanY);
      const double h = 10.0 + (i % 1000) * 0.1;
      std::snprintf(line, sizeof line, "%.4f %.4f %.3f P%ld\r\n", x, y, h, i);
      xy << line;
      copy << '#' << line;
    }
    // Latitude/longitude input: 1000 distinct points, cycled (keeps the setup short).
    std::string pts[1000];
    for (int k = 0; k < 1000; ++k) {
      const double x = shape.minX + shape.step + std::fmod(k * 7919.123, spanX);
      const double y = shape.minY + shape.step + std::fmod(k * 104729.457, spanY);
      geo::GeoResult g = geo::Projection(geo).Inverse(x, y);
      auto packed = [](double rad) {
        double d = rad * geo::kRadToDeg;
        double deg = std::floor(d), m = std::floor((d - deg) * 60), s = ((d - deg) * 60 - m) * 60;
        return deg * 10000 + m * 100 + s;
      };
      std::snprintf(line, sizeof line, "%.5f %.5f", packed(g.phi), packed(g.lambda));
      pts[k] = line;
    }
    for (long i = 0; i < kLines; ++i)
      bl << pts[i % 1000] << " " << 10.0 + (i % 1000) * 0.1 << " P" << i << "\r\n";
  }
};

const Setup& Data() {
  static const Setup s;
  return s;
}

void Convert(benchmark::State& state, batch::Process process, bool withInput,
             bool copyOnly = false) {
  const Setup& d = Data();
  const params::ParamStore& store = d.store;
  geo::GeoState geo;
  geo.zone = geo::ParseZoneItem(geo::ZoneItems()[static_cast<std::size_t>(store.zoneNo - 1)]);
  const params::ConversionMode mode = params::ConversionMode::kGridOnly;
  NullStatus status;
  NullMessages messages;
  batch::SilentBatchView view;
  const batch::RunSettings settings{store, mode, process, withInput, geo};
  const std::string out = (fs::temp_directory_path() / "varno_bench_batch" / "result.out").string();
  for (auto _ : state) {
    batch::BatchFiles files;
    files.inFilePath = copyOnly ? d.copyPath : process == batch::Process::kBl ? d.blPath : d.xyPath;
    files.outFilePath = out;
    files.outFile = std::fopen(out.c_str(), "wb");
    bool cancel = false;
    batch::BatchContext ctx{settings, files, cancel, view, {status, messages}};
    auto outcome = batch::RunFile(ctx);
    if (outcome != batch::RunOutcome::kFinished) state.SkipWithError("run did not finish");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(kLines),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Bl(benchmark::State& s) {
  Convert(s, batch::Process::kBl, true);
}
void BM_Xy(benchmark::State& s) {
  Convert(s, batch::Process::kXy, true);
}
void BM_XyBl(benchmark::State& s) {
  Convert(s, batch::Process::kXyBl, true);
}
BENCHMARK(BM_Bl)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Xy)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_XyBl)->Unit(benchmark::kMillisecond)->Iterations(2);

// The batch layer alone: reading, classifying and copying 1,000,000 comment
// lines of the same length, without any computation.
void BM_CopyOnly(benchmark::State& s) {
  Convert(s, batch::Process::kXy, true, true);
}
BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMillisecond)->Iterations(2);

// The count pass alone.
void BM_CountLines(benchmark::State& state) {
  const Setup& d = Data();
  for (auto _ : state) benchmark::DoNotOptimize(batch::CountLines(d.xyPath));
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_CountLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
