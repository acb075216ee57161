// The parameter-range picture of a 1,000,000-node grid: classifying the
// nodes, drawing the whole grid, panning while zoomed in, and the SVG
// document. The window must show the grid in under 0.3 s and pan smoothly.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "map/model.h"
#include "map/svg.h"
#include "map/view.h"
#include "params/store.h"
#include "support/gridgen.h"
#include "ui/map_draw.h"

namespace {

using namespace varno;

constexpr int kWidth = 1200, kHeight = 900;

// A side x side grid as the generator writes it (with its block without
// parameters), put into a store directly.
const params::ParamStore& Store() {
  static const params::ParamStore store = [] {
    const params::GridShape shape = params::LargeGridShape(1000);
    params::ParamStore s;
    s.zoneNo = static_cast<int16_t>(shape.zone);
    s.gridMinX = shape.minX;
    s.gridStepX = s.gridStepY = shape.step;
    s.gridMaxX = shape.minX + (shape.rows - 1) * shape.step;
    s.gridMinY = shape.minY;
    s.gridMaxY = shape.minY + (shape.cols - 1) * shape.step;
    s.records.reserve(static_cast<std::size_t>(shape.rows) * shape.cols + 1);
    for (int32_t r = 0; r < shape.rows; ++r) {
      for (int32_t c = 0; c < shape.cols; ++c) {
        const double x = shape.minX + r * shape.step, y = shape.minY + c * shape.step;
        params::FieldValue f{0, 0, 0};
        if (!params::InHole(shape, r, c)) f = params::CorrectionAt(shape, x, y);
        s.records.push_back({x, y, f.dx, f.dy, f.dh});
      }
    }
    s.count = static_cast<int32_t>(s.records.size() - 1);
    return s;
  }();
  return store;
}

const map::GridModel& Model() {
  static const map::GridModel model = map::GridModel::Build(Store());
  return model;
}

void BM_ClassifyGrid(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(map::GridModel::Build(Store()));
  state.counters["nodes"] = static_cast<double>(Store().count);
}
BENCHMARK(BM_ClassifyGrid)->Unit(benchmark::kMillisecond);

// Opening the window: classify the grid, then draw it whole.
void BM_FirstPicture(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    const map::GridModel g = map::GridModel::Build(Store());
    const map::Viewport v = map::Fit(map::GridBounds(g), kWidth, kHeight, 24);
    ui::MapDrawCache cache;
    QPainter p(&image);
    ui::DrawMap(p, {&g, nullptr, nullptr}, v, cache);
  }
}
BENCHMARK(BM_FirstPicture)->Unit(benchmark::kMillisecond);

// One frame of the whole grid (a repaint).
void BM_DrawWholeGrid(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const map::Viewport v = map::Fit(map::GridBounds(Model()), kWidth, kHeight, 24);
  ui::MapDrawCache cache;
  for (auto _ : state) {
    QPainter p(&image);
    ui::DrawMap(p, {&Model(), nullptr, nullptr}, v, cache);
  }
}
BENCHMARK(BM_DrawWholeGrid)->Unit(benchmark::kMillisecond);

// Frames while dragging, zoomed in so far that cells show their lines and
// every node its arrow.
void BM_PanZoomedIn(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  map::Viewport v = map::Fit(map::GridBounds(Model()), kWidth, kHeight, 24);
  v.scale = 0.5;  // 50 px per 100 m cell
  ui::MapDrawCache cache;
  int step = 0;
  for (auto _ : state) {
    v.PanPixels(++step % 2 ? 7 : -7, 3);
    QPainter p(&image);
    ui::DrawMap(p, {&Model(), nullptr, nullptr}, v, cache);
  }
}
BENCHMARK(BM_PanZoomedIn)->Unit(benchmark::kMillisecond);

void BM_SvgDocument(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) bytes = map::MapSvg(Model(), nullptr, nullptr).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SvgDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Model();  // the grid itself is not timed
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
