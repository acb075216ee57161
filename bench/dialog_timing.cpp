// varno-bench-dialog: the batch dialog's run (X/Y process) timed offscreen on
// a given file against the engine alone (one conversion thread per core, as
// in the dialog) on the same file in the same process,
// with how often the window system got its turn during the run, and how long
// a cancel took to act.
// Usage: varno-bench-dialog GRID.par INPUT OUTPUT
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "batch/convert.h"
#include "geodesy/ellipsoid.h"
#include "params/reader.h"
#include "state/module_state.h"
#include "support/silent_views.h"
#include "ui/frm_file.h"

namespace {

using namespace varno;

struct NullStatus : StatusSink {
  void SetStatusText(std::string_view) override {}
  void SetStatusColor(Rgb) override {}
};
struct NullMessages : MessageService {
  void Show(std::string_view, std::string_view, MessageIcon) override {}
  bool AskYesNo(std::string_view, std::string_view, MessageIcon, bool) override { return false; }
};
struct FixedChooser : ui::FileChooser {
  std::string in, out;
  std::optional<std::string> ChooseInput(QWidget*, const std::string&) override { return in; }
  std::optional<std::string> ChooseResult(QWidget*, const std::string&,
                                          const std::string&) override {
    return out;
  }
};

// Wall and processor time of a stretch of this process.
struct Times {
  double wall = 0, cpu = 0;  // seconds
};
class Clock {
 public:
  Clock() : cpu_(Cpu()) { wall_.start(); }
  Times Elapsed() const { return {static_cast<double>(wall_.nsecsElapsed()) / 1e9, Cpu() - cpu_}; }

 private:
  static double Cpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
  }
  QElapsedTimer wall_;
  double cpu_;
};

// The longest time between two turns of the event loop during a run, and
// their number: a zero-interval timer fires once per turn.
struct Turns {
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  long count = 0;
  void Start() {
    clock.start();
    last = 0;
    longest = 0;
    count = 0;
  }
  void Turn() {
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
    ++count;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fputs("usage: varno-bench-dialog GRID.par INPUT OUTPUT\n", stderr);
    return 2;
  }
  ModuleState state;
  state.store.paraFilePath = argv[1];
  params::SilentLoadView load;
  params::ReadParaFile(state.store, state.cancelRequested, load);
  QComboBox zones;
  for (std::string_view item : geo::ZoneItems()) zones.addItem(QString::fromUtf8(item));
  zones.setCurrentIndex(std::clamp<int>(state.store.zoneNo, 1, 19) - 1);
  NullStatus status;
  NullMessages messages;
  ui::FrmFile dlg(state, zones, status, messages);
  auto chooser = std::make_unique<FixedChooser>();
  chooser->in = argv[2];
  chooser->out = argv[3];
  ui::FileChooser* chooserPtr = chooser.get();
  dlg.SetFileChooser(std::move(chooser));

  Turns turns;
  QTimer ticker;
  ticker.setInterval(0);
  QObject::connect(&ticker, &QTimer::timeout, [&] { turns.Turn(); });

  // The engine alone: the same run without a window, before and after the
  // dialog's (the first run over a large grid pays for the caches).
  auto engineRun = [&] {
    batch::BatchFiles files = state.files;
    files.inFilePath = argv[2];
    files.outFilePath = std::string(argv[3]) + ".engine";
    files.outFile = std::fopen(files.outFilePath.c_str(), "wb");
    bool cancel = false;
    batch::SilentBatchView view;
    geo::GeoState geoState = state.geo;
    geoState.zone =
        geo::ParseZoneItem(geo::ZoneItems()[static_cast<std::size_t>(zones.currentIndex())]);
    const batch::RunSettings settings{state.store, state.mode, batch::Process::kXy, false,
                                      geoState};
    batch::BatchContext ctx{settings, files, cancel, view, {status, messages}};
    ctx.jobs = 0;  // as the dialog and varno-batch: one conversion thread per core
    const Clock c;
    batch::XY_File(ctx);
    return c.Elapsed();
  };
  const Times engine1 = engineRun();

  // A whole run.
  dlg.Open();
  dlg.OpenInFile();
  dlg.OpenOutFile();
  turns.Start();
  ticker.start();
  const Clock run;
  dlg.Start();
  const Times dialog = run.Elapsed();
  ticker.stop();
  const Times engine2 = engineRun();
  const Times engine{std::min(engine1.wall, engine2.wall), std::min(engine1.cpu, engine2.cpu)};
  const double seconds = dialog.wall;
  std::printf(
      "engine alone: %.3f s (%.3f s processor time; the runs before and after the "
      "dialog's: %.3f s, %.3f s)\n",
      engine.wall, engine.cpu, engine1.wall, engine2.wall);
  std::printf(
      "dialog's run: %.3f s (%.3f s processor time): %.2f times the engine's (%.2f in "
      "processor time)\n",
      dialog.wall, dialog.cpu, dialog.wall / engine.wall, dialog.cpu / engine.cpu);
  std::printf("event loop:   %ld turns (%.0f a second), longest gap %lld ms\n", turns.count,
              static_cast<double>(turns.count) / seconds, static_cast<long long>(turns.longest));

  // A run cancelled after half of that time.
  if (auto* c = dynamic_cast<FixedChooser*>(chooserPtr)) c->out = std::string(argv[3]) + ".cancel";
  dlg.Open();
  dlg.OpenInFile();
  dlg.OpenOutFile();
  QElapsedTimer sinceClick;
  QTimer::singleShot(static_cast<int>(seconds * 500), &dlg, [&] {
    sinceClick.start();
    dlg.Break();
  });
  dlg.Start();
  if (sinceClick.isValid()) {
    std::printf(
        "cancel:       the run stopped %.1f ms after the click was handled (clicks are "
        "handled at the event loop's turns)\n",
        static_cast<double>(sinceClick.nsecsElapsed()) / 1e6);
  } else {
    std::printf("cancel: the run ended before the click\n");
  }
  return 0;
}
