#include "ui/event_pacer.h"

#include <QCoreApplication>

namespace varno::ui {

namespace {

// Some of the window system's drawing code leaves the upper halves of the
// vector registers in use (AVX code without a closing vzeroupper). The
// conversion's floating-point code is plain SSE, which then pays a penalty on
// every instruction until they are cleared: a batch run with its turns of the
// event loop took 1.6 to 2 times as long as without. Clearing them after each
// turn restores its speed; the lower halves, and so every value, are kept.
void ClearUpperVectorHalves() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}

}  // namespace

bool EventPacer::Offer() {
  if (!Due()) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  ClearUpperVectorHalves();
  clock_.start();
  return true;
}

}  // namespace varno::ui
