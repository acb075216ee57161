// Reading the parameter file into the grid store, and the texts of the
// loading window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "params/store.h"
#include "text/report.h"

namespace varno::params {

// The loading window as the reading sees it.
class LoadView {
 public:
  virtual ~LoadView() = default;
  virtual void SetStatusText(const std::string& text) = 0;  // lblStatus (UTF-8)
  virtual void SetStatusColor(Rgb color) = 0;
  // File length / 128 (fractional); at the end of a complete reading the
  // progress is set to its whole part.
  virtual void SetProgressMax(double max) = 0;
  virtual void SetProgress(long value) = 0;               // bytes read / 128
  virtual void SetSizeText(const std::string& text) = 0;  // lblLine
  virtual void ShowBreak(bool visible) = 0;               // cmdBreak
  virtual void SetBusy(bool busy) = 0;                    // hourglass pointer
  // Lets the window system process pending events (a cmdBreak click may set
  // the cancel flag meanwhile).
  virtual void Yield() = 0;
};

// How the node lines are read. Regular lines (five plain numbers joined by
// commas) go through a fast parser on `threads` threads (0: one per core),
// each reading its part of the file through a window of `windowBytes`;
// without `fastPath` every line goes through the general field reader. The
// store, the progress and the yields are the same either way.
struct ReadOptions {
  bool fastPath = true;
  unsigned threads = 0;
  std::size_t minChunkBytes = 1 << 20;  // the least a thread is given to parse
  std::size_t windowBytes = 256 << 10;  // read at a time; also the header's first try
};

// Reads store.paraFilePath into `store`. Progress, the cancel test and the
// yield happen every 2000 records; a set `cancelRequested` stops the reading
// there (the records so far stay, RepPoint unchanged) and is cleared.
void ReadParaFile(ParamStore& store, bool& cancelRequested, LoadView& view,
                  const ReadOptions& options = {});

// Texts of the loading window (UTF-8).
std::string ReadingMessage(const std::string& paraFilePath);
std::string OpenFailureMessage(const std::string& paraFilePath);
std::string SummaryText(const ParamStore& store);
std::string FileSizeText(long long bytes);  // "###,###,###" + " Bytes"

// The zone list entry (counting from 0) that the file's zone selects, or -1
// when the zone is outside 1..19: the file is kept and the list is left
// without a selection, as for zone 0.
int ZoneListIndex(int16_t zoneNo);

}  // namespace varno::params
