// Per-call cost of the projections as every caller uses them (GRS80, a
// projection built once per zone), and of the text helpers on the batch output path.
#include <benchmark/benchmark.h>

#include <string>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "text/format.h"
#include "text/number.h"

namespace {

using namespace varno;
using namespace varno::geo;

void BM_CalcBl2xy(benchmark::State& state) {
  const Projection proj{GeoState{}};
  double phi = DmsToDeg(360503.954).degrees * kDegToRad;
  const double lambda = DmsToDeg(1395802.392).degrees * kDegToRad;
  for (auto _ : state) {
    PlaneResult r = proj.Forward(phi, lambda);
    benchmark::DoNotOptimize(r);
    phi += 1e-9;
  }
}
BENCHMARK(BM_CalcBl2xy);

void BM_CalcXy2blPure(benchmark::State& state) {
  const Projection proj{GeoState{}};
  double x = 10000.0;
  for (auto _ : state) {
    GeoResult r = proj.Inverse(x, 20000.0);
    benchmark::DoNotOptimize(r);
    x += 1e-3;
  }
}
BENCHMARK(BM_CalcXy2blPure);

void BM_DeriveConstants(benchmark::State& state) {
  const EllipsoidTable t = MakeEllipsoidTable();
  for (auto _ : state) {
    ConstantSet k = DeriveConstants(t, EllipsoidEntry::kGrs80, 360000, 1395000, true);
    benchmark::DoNotOptimize(k);
  }
}
BENCHMARK(BM_DeriveConstants);

void BM_NumberPatternAppend(benchmark::State& state) {
  const NumberPattern p("#,###,##0.0000");
  std::string out;
  out.reserve(64);
  double v = 193873.53241;
  for (auto _ : state) {
    out.clear();
    p.AppendTo(v, out);
    benchmark::DoNotOptimize(out.data());
    v += 0.001;
  }
}
BENCHMARK(BM_NumberPatternAppend);

void BM_ParseNumber(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber("  -12067.6387845"));
}
BENCHMARK(BM_ParseNumber);

}  // namespace

BENCHMARK_MAIN();
