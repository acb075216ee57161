// The same X/Y points as blank-separated text, as CSV and as a SIMA
// coordinate file, converted X/Y -> X/Y/H: lines per second of each format.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "batch/convert.h"
#include "params/reader.h"
#include "support/gridgen.h"
#include "support/silent_views.h"

namespace {

using namespace varno;
namespace fs = std::filesystem;

constexpr long kPoints = 300000;

struct Silent : StatusSink, MessageService {
  void SetStatusText(std::string_view) override {}
  void SetStatusColor(Rgb) override {}
  void Show(std::string_view, std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }
};

// A generated grid and the three inputs, written once.
struct Inputs {
  params::ParamStore store;
  fs::path dir = fs::temp_directory_path() / "varno_bench_formats";
  Inputs() {
    fs::create_directories(dir);
    const params::GridShape shape = params::LargeGridShape(200);
    store.paraFilePath = (dir / "Bench.par").string();
    params::WriteGridFile(shape, store.paraFilePath);
    bool cancel = false;
    params::SilentLoadView load;
    params::ReadParaFile(store, cancel, load);
    std::ofstream text(dir / "pts.in", std::ios::binary), csv(dir / "pts.csv", std::ios::binary),
        sima(dir / "pts.sim", std::ios::binary);
    sima << "G00,01,bench,\r\nZ00,座標ﾃﾞｰﾀ,\r\nA00,\r\n";
    const double span = (shape.rows - 3) * shape.step;
    char x[32], y[32], h[32];
    for (long i = 0; i < kPoints; ++i) {
      std::snprintf(x, sizeof x, "%.3f", shape.minX + shape.step + std::fmod(i * 7919.123, span));
      std::snprintf(y, sizeof y, "%.3f", shape.minY + shape.step + std::fmod(i * 104729.457, span));
      std::snprintf(h, sizeof h, "%.3f", 10.0 + (i % 1000) * 0.1);
      text << x << ' ' << y << ' ' << h << " P" << i << "\r\n";
      csv << x << ',' << y << ',' << h << ",P" << i << "\r\n";
      sima << "A01," << i << ",P" << i << ',' << x << ',' << y << ',' << h << ",\r\n";
    }
    sima << "A99,\r\n";
  }
};

const Inputs& Data() {
  static const Inputs d;
  return d;
}

void Convert(benchmark::State& state, batch::InputFormat format, const char* input) {
  const Inputs& d = Data();
  geo::GeoState geo;
  geo.zone = geo::ParseZoneItem(geo::ZoneItems()[static_cast<std::size_t>(d.store.zoneNo - 1)]);
  const batch::RunSettings settings{
      d.store, params::ConversionMode::kGridOnly, batch::Process::kXy, false, geo, format};
  Silent silent;
  batch::SilentBatchView view;
  const std::string out = (d.dir / "result").string();
  for (auto _ : state) {
    batch::BatchFiles files;
    files.inFilePath = (d.dir / input).string();
    files.outFilePath = out;
    files.outFile = std::fopen(out.c_str(), "wb");
    bool cancel = false;
    batch::RunTotals totals;
    batch::BatchContext ctx{settings, files, cancel, view, {silent, silent}};
    ctx.totals = &totals;
    if (batch::RunFile(ctx) != batch::RunOutcome::kFinished || totals.points != kPoints)
      state.SkipWithError("the run did not convert every point");
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(kPoints),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Text(benchmark::State& s) {
  Convert(s, batch::InputFormat::kText, "pts.in");
}
void BM_Csv(benchmark::State& s) {
  Convert(s, batch::InputFormat::kCsv, "pts.csv");
}
void BM_Sima(benchmark::State& s) {
  Convert(s, batch::InputFormat::kSima, "pts.sim");
}
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Csv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sima)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
