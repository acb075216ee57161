// Views that show nothing and hand no control away, for runs without a
// window: benchmarks, fuzzing, tests and tools.
#pragma once

#include <string>

#include "batch/convert.h"
#include "params/reader.h"

namespace varno::params {

// A reading without a window (headless tools, benchmarks): shows nothing and
// hands no control away.
class SilentLoadView : public LoadView {
 public:
  void SetStatusText(const std::string&) override {}
  void SetStatusColor(Rgb) override {}
  void SetProgressMax(double) override {}
  void SetProgress(long) override {}
  void SetSizeText(const std::string&) override {}
  void ShowBreak(bool) override {}
  void SetBusy(bool) override {}
  void Yield() override {}
};

}  // namespace varno::params

namespace varno::batch {

// A run without a window (benchmarks, fuzzing): shows nothing and hands no
// control away.
class SilentBatchView : public BatchView {
 public:
  void ShowBreak(bool) override {}
  void SetLineText(const std::string&) override {}
  void SetPercentText(const std::string&) override {}
  void SetProgressMax(long) override {}
  void SetProgress(long) override {}
  void SetDialogStatus(const std::string&, Rgb) override {}
  void EnableStart(bool) override {}
  void SetBusy(bool) override {}
  bool ShowResultFile() override { return false; }
  void OpenOutFileView(const std::string&) override {}
  void Yield() override {}
};

}  // namespace varno::batch
