// Loading a 1,000,000-node parameter file and the per-point cost of the
// interpolation, through the node index and through the literal scan.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "params/interpolate.h"
#include "params/reader.h"
#include "support/gridgen.h"
#include "support/silent_views.h"

namespace {

using namespace varno::params;

// A generated grid file in /tmp, removed when the program ends.
class GridFile {
 public:
  GridFile(int32_t side, bool hole) : shape_(LargeGridShape(side)) {
    shape_.withHole = hole;
    path_ = "/tmp/varno-bench-params-" + std::to_string(::getpid()) + "-" + std::to_string(side) +
            ".par";
    if (!WriteGridFile(shape_, path_)) path_.clear();
  }
  ~GridFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  const std::string& path() const { return path_; }
  const GridShape& shape() const { return shape_; }

 private:
  GridShape shape_;
  std::string path_;
};

const GridFile& MillionNodeFile() {
  static const GridFile file(1000, true);
  return file;
}

ParamStore Load(const std::string& path) {
  ParamStore s;
  s.paraFilePath = path;
  bool cancel = false;
  SilentLoadView view;
  ReadParaFile(s, cancel, view);
  return s;
}

// Points spread over the whole grid (a batch file in no particular order).
std::vector<std::pair<double, double>> RandomPoints(const ParamStore& s, std::size_t n) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> ux(s.gridMinX, s.gridMaxX), uy(s.gridMinY, s.gridMaxY);
  std::vector<std::pair<double, double>> p(n);
  for (auto& q : p) q = {ux(rng), uy(rng)};
  return p;
}

void BM_ReadParaFile_1M(benchmark::State& state) {
  const GridFile& file = MillionNodeFile();
  if (file.path().empty()) {
    state.SkipWithError("cannot write the grid file");
    return;
  }
  int32_t count = 0;
  for (auto _ : state) {
    ParamStore s = Load(file.path());
    count = s.count;
    benchmark::DoNotOptimize(s.records.data());
  }
  state.counters["nodes"] = count;
}
BENCHMARK(BM_ReadParaFile_1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void RunInterpolation(benchmark::State& state, const ParamStore& s) {
  const auto points = RandomPoints(s, 1 << 14);
  std::size_t k = 0;
  for (auto _ : state) {
    const auto& [x, y] = points[k++ & (points.size() - 1)];
    Corrections c = InterpolatePara(s, x, y);
    benchmark::DoNotOptimize(c);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_InterpolatePara_Index_1M(benchmark::State& state) {
  static const ParamStore s = Load(MillionNodeFile().path());
  if (s.count != 1000000 || !s.index) {
    state.SkipWithError("grid not loaded");
    return;
  }
  RunInterpolation(state, s);
}
BENCHMARK(BM_InterpolatePara_Index_1M);

// The literal scan on a 10,000-node grid (each point costs four scans that end
// at the corner's record, half the grid on average).
void BM_InterpolatePara_Scan_10k(benchmark::State& state) {
  static const GridFile file(100, true);
  static const ParamStore s = [] {
    ParamStore loaded = Load(file.path());
    loaded.index = nullptr;
    return loaded;
  }();
  if (s.count != 10000) {
    state.SkipWithError("grid not loaded");
    return;
  }
  RunInterpolation(state, s);
}
BENCHMARK(BM_InterpolatePara_Scan_10k);

// Nodes between the lattice points (a file with missing or shifted nodes):
// the index cannot name the record, so the scan runs, passing over the runs
// of records it could not accept from; then the literal scan for comparison.
std::vector<std::pair<double, double>> OffLatticeNodes(const ParamStore& s, std::size_t n) {
  auto p = RandomPoints(s, n);
  for (auto& [x, y] : p) {
    x = std::floor((x - s.gridMinX) / s.gridStepX) * s.gridStepX + s.gridMinX + 0.5 * s.gridStepX;
    y = std::floor((y - s.gridMinY) / s.gridStepY) * s.gridStepY + s.gridMinY + 0.5 * s.gridStepY;
  }
  return p;
}

void RunLookup(benchmark::State& state, bool literal) {
  static const ParamStore s = Load(MillionNodeFile().path());
  const auto nodes = OffLatticeNodes(s, 256);
  std::size_t k = 0;
  for (auto _ : state) {
    const auto& [x, y] = nodes[k++ & (nodes.size() - 1)];
    NodeValues v;
    if (literal) {
      LookupNodeScan(s, x, y, v);
    } else {
      LookupNode(s, x, y, v);
    }
    benchmark::DoNotOptimize(v);
  }
}

void BM_LookupNode_OffLattice_1M(benchmark::State& state) {
  RunLookup(state, false);
}
BENCHMARK(BM_LookupNode_OffLattice_1M)->Unit(benchmark::kMicrosecond);

void BM_LookupNodeScan_OffLattice_1M(benchmark::State& state) {
  RunLookup(state, true);
}
BENCHMARK(BM_LookupNodeScan_OffLattice_1M)->Unit(benchmark::kMicrosecond);

void BM_GridIndexBuild_1M(benchmark::State& state) {
  static const ParamStore s = Load(MillionNodeFile().path());
  for (auto _ : state) {
    auto index = GridIndex::Build(s);
    benchmark::DoNotOptimize(index.get());
  }
}
BENCHMARK(BM_GridIndexBuild_1M)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
