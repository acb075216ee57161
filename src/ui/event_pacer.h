// The window system's turns during a long loop (a batch run, the parameter
// loading). The loop offers a turn at each of its progress points, many
// thousand times a second; running the event loop at every one of them costs
// more than the work between them. The pacer runs it at the first point after
// Restart() and then whenever kInterval has passed since the last turn, so the
// window repaints about 25 times a second and a click is handled within that
// time, at one of the loop's own progress points.
#pragma once

#include <QElapsedTimer>

namespace varno::ui {

class EventPacer {
 public:
  static constexpr qint64 kIntervalMs = 40;

  // Tests run the event loop at every offered turn with an interval of 0.
  void SetInterval(qint64 ms) { interval_ = ms; }

  // The next offered turn runs the event loop.
  void Restart() { clock_.invalidate(); }
  // True when an offered turn would run the event loop.
  bool Due() const { return !clock_.isValid() || clock_.elapsed() >= interval_; }
  // Runs the event loop when it is due; true when it ran.
  bool Offer();

 private:
  QElapsedTimer clock_;
  qint64 interval_ = kIntervalMs;
};

}  // namespace varno::ui
