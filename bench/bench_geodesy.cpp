// Per-call cost of the projections as every caller uses them (GRS80, a
// projection built once per zone), and of the text helpers on the batch output path.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "geodesy/sine.h"
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

// The meridian arc's eight sines (2 to 16 times a latitude of about 37
// degrees): on vectors where the processor allows, and one by one.
void BM_SineEightVectors(benchmark::State& state) {
  double phi = 0.65;
  double out[8];
  for (auto _ : state) {
    SinesOfMultiples(phi, out);
    benchmark::DoNotOptimize(out);
    phi += 1e-9;
  }
  state.SetLabel(SineVectorsUsed() ? "vectors" : "library (no AVX2/FMA)");
}
BENCHMARK(BM_SineEightVectors);

void BM_SineEightLibrary(benchmark::State& state) {
  double phi = 0.65;
  double out[8];
  for (auto _ : state) {
    for (int i = 0; i < 8; ++i) out[i] = std::sin(phi * (16 - 2 * i));
    benchmark::DoNotOptimize(out);
    phi += 1e-9;
  }
}
BENCHMARK(BM_SineEightLibrary);

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
