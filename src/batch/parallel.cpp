#include "batch/parallel.h"

#include <algorithm>

namespace varno::batch {

namespace {

// A batch ends after this many lines or input bytes, whichever comes first:
// small enough that the first results come at once and a cancel drops little
// work, large enough that handing batches between threads costs nothing.
constexpr std::size_t kBatchLines = 1024;
constexpr std::size_t kBatchBytes = 256 * 1024;
// Batches read ahead, per thread and at most, and the input bytes they may
// hold (very long lines make few lines a batch): a batch's results are its
// input plus at most some 150 bytes per line, so a run holds at most some
// 40 MB above the grid, whatever the input.
constexpr std::size_t kBatchesPerThread = 4;
constexpr std::size_t kMaxBatches = 16;
constexpr std::size_t kMaxBytesAhead = 16 << 20;

}  // namespace

unsigned ConversionThreads(int jobs) {
  if (jobs > 0) return static_cast<unsigned>(jobs);
  return std::max(1u, std::thread::hardware_concurrency());
}

ParallelLines::ParallelLines(const LineConverter& converter, LineReader& in, unsigned threads,
                             long firstLineNumber)
    : converter_(converter),
      in_(in),
      nextNumber_(firstLineNumber),
      maxInFlight_(std::clamp<std::size_t>(kBatchesPerThread * threads, 2, kMaxBatches)) {
  threads_.reserve(threads);
  try {
    for (unsigned t = 0; t < threads; ++t) threads_.emplace_back([this] { Work(); });
  } catch (...) {
    if (threads_.empty()) {
      throw;  // not a single thread: the caller converts the lines itself
    }
    // Fewer threads than asked: the ones started do the work.
  }
}

ParallelLines::~ParallelLines() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& t : threads_) t.join();
}

bool ParallelLines::ReadBatch(Batch& b) {
  b.firstNumber = nextNumber_;
  b.input.clear();
  b.inputEnds.clear();
  b.lines = 0;
  b.converted = 0;
  b.done = false;
  std::string_view line;
  while (b.lines < kBatchLines && b.input.size() < kBatchBytes) {
    try {
      if (in_.AtEnd()) {
        inputEnded_ = true;
        break;
      }
      in_.Next(line);
    } catch (...) {
      // Shown once every line before it has been handed out.
      readError_ = std::current_exception();
      inputEnded_ = true;
      break;
    }
    b.input.append(line);
    b.inputEnds.push_back(b.input.size());
    ++b.lines;
  }
  if (b.results.size() < b.lines) b.results.resize(b.lines);
  b.outputEnds.resize(b.lines);
  nextNumber_ += static_cast<long>(b.lines);
  return b.lines > 0;
}

void ParallelLines::ReadAhead() {
  while (!inputEnded_ && inFlight_.size() < maxInFlight_ &&
         (inFlight_.empty() || bytesAhead_ < kMaxBytesAhead)) {
    std::unique_ptr<Batch> b;
    if (spare_.empty()) {
      b = std::make_unique<Batch>();
    } else {
      b = std::move(spare_.back());
      spare_.pop_back();
    }
    if (!ReadBatch(*b)) {
      spare_.push_back(std::move(b));
      break;
    }
    bytesAhead_ += b->input.size();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(b.get());
      inFlight_.push_back(std::move(b));
    }
    work_.notify_one();
  }
}

void ParallelLines::Convert(Batch& b) const {
  b.output.clear();
  std::size_t start = 0;
  // The grid records of a line are asked for a few lines ahead of its turn;
  // what was prepared for a line then waits in its slot of the ring.
  constexpr std::size_t kAhead = 2;
  PreparedLine ring[kAhead + 1];
  std::size_t aheadStart = 0;
  for (std::size_t j = 0; j < kAhead && j < b.lines; ++j) {
    converter_.Prepare(std::string_view(b.input.data() + aheadStart, b.inputEnds[j] - aheadStart),
                       ring[j % std::size(ring)]);
    aheadStart = b.inputEnds[j];
  }
  for (std::size_t j = 0; j < b.lines; ++j) {
    if (j + kAhead < b.lines) {
      const std::size_t end = b.inputEnds[j + kAhead];
      converter_.Prepare(std::string_view(b.input.data() + aheadStart, end - aheadStart),
                         ring[(j + kAhead) % std::size(ring)]);
      aheadStart = end;
    }
    const std::string_view line(b.input.data() + start, b.inputEnds[j] - start);
    start = b.inputEnds[j];
    LineResult& r = b.results[j];
    const std::size_t before = b.output.size();
    try {
      converter_.Convert(line, b.firstNumber + static_cast<long>(j), b.output, r,
                         &ring[j % std::size(ring)]);
    } catch (...) {
      // Out of memory growing the output: the line stops the run, as it would
      // have stopped it converted one by one.
      b.output.resize(before);
      r.error = std::current_exception();
    }
    b.outputEnds[j] = b.output.size();
    b.converted = j + 1;
    if (r.error) break;  // the run stops at this line
  }
}

void ParallelLines::Work() {
  for (;;) {
    Batch* b = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      b = queue_.front();
      queue_.pop_front();
    }
    Convert(*b);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      b->done.store(true, std::memory_order_release);
    }
    done_.notify_all();
  }
}

bool ParallelLines::AtEnd() {
  // Most lines: the front batch is converted and has lines left. Only this
  // thread changes inFlight_, so that needs no lock.
  if (!inFlight_.empty()) {
    const Batch& front = *inFlight_.front();
    if (front.done.load(std::memory_order_acquire) && current_ < front.converted) return false;
  }
  for (;;) {
    ReadAhead();
    std::unique_lock<std::mutex> lock(mutex_);
    if (inFlight_.empty()) {
      lock.unlock();
      if (readError_) std::rethrow_exception(readError_);
      return true;
    }
    Batch& front = *inFlight_.front();
    done_.wait(lock, [&front] { return front.done.load(); });
    if (current_ < front.converted) return false;
    // Every line of the front batch handed out: keep it for reuse.
    bytesAhead_ -= front.input.size();
    if (front.input.capacity() > 4 * kBatchBytes) {
      // Kept for reuse without the room a very long line took.
      std::string().swap(front.input);
      std::string().swap(front.output);
    }
    spare_.push_back(std::move(inFlight_.front()));
    inFlight_.pop_front();
    current_ = 0;
  }
}

void ParallelLines::Next(std::string_view& bytes, const LineResult*& result) {
  const Batch* front = inFlight_.front().get();  // only this thread changes inFlight_
  const std::size_t j = current_++;
  const std::size_t start = j == 0 ? 0 : front->outputEnds[j - 1];
  bytes = std::string_view(front->output.data() + start, front->outputEnds[j] - start);
  result = &front->results[j];
}

}  // namespace varno::batch
