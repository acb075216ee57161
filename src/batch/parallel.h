// The lines of a run converted on several threads and handed back in input
// order, so that the run driver writes them, shows their messages, counts and
// stops exactly as when it converts them one by one itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "batch/io.h"
#include "batch/line_converter.h"

namespace varno::batch {

// The number of conversion threads for a jobs setting: `jobs` itself when
// positive, else one per core.
unsigned ConversionThreads(int jobs);

// Reads the input ahead in batches of lines, converts them on `threads`
// threads and hands the results back in input order. Reading, and everything
// done with a result, stays on the calling thread. At most a bounded number
// of batches (a few MB) is read ahead, whatever the input's size. Stopping
// early (a cancel, an error) just destroys the object: the lines read ahead
// are dropped.
class ParallelLines {
 public:
  ParallelLines(const LineConverter& converter, LineReader& in, unsigned threads,
                long firstLineNumber);
  ~ParallelLines();
  ParallelLines(const ParallelLines&) = delete;
  ParallelLines& operator=(const ParallelLines&) = delete;

  // True when every line has been handed out. Rethrows, at the place of the
  // line it could not read, an error reading the input.
  bool AtEnd();
  // The next line's result bytes (empty when its conversion stopped the run,
  // as the converter leaves its output then) and its result, valid until the
  // next call. Only after AtEnd() answered false.
  void Next(std::string_view& bytes, const LineResult*& result);

 private:
  struct Batch {
    long firstNumber = 0;
    std::string input;
    std::vector<std::size_t> inputEnds;  // end of each line in `input`
    std::string output;
    std::vector<std::size_t> outputEnds;  // end of each line's result in `output`
    std::vector<LineResult> results;
    std::size_t lines = 0;
    std::size_t converted = 0;  // lines converted (fewer when one stopped the run)
    // Set by the converting thread (under the lock, for done_); read without it
    // by the handing-out thread for every line.
    std::atomic<bool> done = false;
  };

  void ReadAhead();
  bool ReadBatch(Batch& b);
  void Work();
  void Convert(Batch& b) const;

  const LineConverter& converter_;
  LineReader& in_;
  long nextNumber_;
  bool inputEnded_ = false;
  std::exception_ptr readError_;  // thrown where the unread line would have been

  std::mutex mutex_;
  std::condition_variable work_, done_;
  std::deque<std::unique_ptr<Batch>> inFlight_;  // in input order; the front is handed out
  std::deque<Batch*> queue_;                     // read, not yet taken by a thread
  std::vector<std::unique_ptr<Batch>> spare_;    // handed out, kept for reuse
  std::size_t maxInFlight_;
  std::size_t bytesAhead_ = 0;  // input bytes of the batches in flight
  bool stopping_ = false;
  std::vector<std::thread> threads_;

  std::size_t current_ = 0;  // the next line of inFlight_.front() to hand out
};

}  // namespace varno::batch
