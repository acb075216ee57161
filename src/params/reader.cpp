#include "params/reader.h"

#include <cerrno>
#include <cmath>
#include <new>
#include <string_view>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "codec/cp932.h"
#include "params/interpolate.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/format.h"
#include "text/line_feeds.h"
#include "text/memory.h"
#include "text/number.h"
#include "text/paths.h"

namespace varno::params {

namespace {

constexpr int32_t kYieldInterval = 2000;
constexpr double kProgressUnit = 128.0;

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
inline bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// A field's text as a number, by the one rule of every reader: a failure for
// anything that is not a plain decimal and for a value too large for a Double.
bool ToNumber(std::string_view t, double& out) {
  return ReadNumber(t, out) == NumberRead::kOk;
}

// Free-format fields over the raw bytes of the file, taken in sequence
// regardless of line ends. CP932 trail bytes are never a comma, a quote, a
// blank or a line end, so the delimiters can be found byte by byte.
class FieldReader {
 public:
  explicit FieldReader(std::string_view data) : d_(data) {}

  std::string_view data() const { return d_; }
  bool AtEnd() const { return p_ >= d_.size(); }
  std::size_t Position() const { return p_; }
  void MoveTo(std::size_t p) { p_ = std::min(p, d_.size()); }

  // A numeric field ends at a comma, a blank or the line end. Returns false
  // for a read past the end or a field that is not a number; the field's text
  // is consumed either way.
  bool ReadNumber(double& out) {
    SkipBlanks();
    if (AtEnd()) return false;
    std::string_view tok;
    if (d_[p_] == '"') {
      tok = Quoted();
    } else {
      std::size_t start = p_;
      while (p_ < d_.size()) {
        char c = d_[p_];
        if (c == ',' || IsBlank(c) || IsLineEnd(c)) break;
        ++p_;
      }
      tok = d_.substr(start, p_ - start);
    }
    EndField();
    return ToNumber(tok, out);
  }

  // A text field ends at a comma or the line end; a text in double quotes
  // ends at its closing quote (or, when that is missing, at the line end).
  bool ReadText(std::string& out) {
    SkipBlanks();
    if (AtEnd()) return false;
    if (d_[p_] == '"') {
      std::string_view tok = Quoted();
      EndField();
      out.assign(tok);
      return true;
    }
    std::size_t start = p_;
    while (p_ < d_.size() && d_[p_] != ',' && !IsLineEnd(d_[p_])) ++p_;
    std::string_view tok = d_.substr(start, p_ - start);
    while (!tok.empty() && IsBlank(tok.back())) tok.remove_suffix(1);
    if (p_ < d_.size()) {
      if (d_[p_] == ',') {
        ++p_;
      } else {
        ConsumeLineEnd();
      }
    }
    out.assign(tok);
    return true;
  }

  // Reads one whole line and discards it.
  bool SkipLine() {
    if (AtEnd()) return false;
    while (p_ < d_.size() && !IsLineEnd(d_[p_])) ++p_;
    ConsumeLineEnd();
    return true;
  }

 private:
  void SkipBlanks() {
    while (p_ < d_.size() && IsBlank(d_[p_])) ++p_;
  }
  // CR LF, a lone LF or a lone CR.
  void ConsumeLineEnd() {
    if (p_ < d_.size() && d_[p_] == '\r') ++p_;
    if (p_ < d_.size() && d_[p_] == '\n') ++p_;
  }
  // After a field: blanks, then one comma or one line end belong to it.
  void EndField() {
    SkipBlanks();
    if (p_ >= d_.size()) return;
    if (d_[p_] == ',') {
      ++p_;
    } else if (IsLineEnd(d_[p_])) {
      ConsumeLineEnd();
    }
  }
  // At an opening quote: the text up to the closing quote, which is consumed.
  std::string_view Quoted() {
    std::size_t start = ++p_;
    while (p_ < d_.size() && d_[p_] != '"' && !IsLineEnd(d_[p_])) ++p_;
    std::string_view tok = d_.substr(start, p_ - start);
    if (p_ < d_.size() && d_[p_] == '"') ++p_;
    return tok;
  }

  std::string_view d_;
  std::size_t p_ = 0;
};

// Runs work(0) .. work(n - 1), each on a thread of its own and work(0) on this
// one; where no thread can be had, the work is done here. The threads are
// waited for on every way out, an exception from work(0) included.
template <typename Work>
void RunOnThreads(std::size_t n, const Work& work) {
  struct Joined {
    std::vector<std::thread> threads;
    ~Joined() {
      for (std::thread& t : threads) t.join();
    }
  } workers;
  workers.threads.reserve(n);
  for (std::size_t c = 1; c < n; ++c) {
    try {
      workers.threads.emplace_back([&work, c] { work(c); });
    } catch (const std::exception&) {
      work(c);  // no thread to be had
    }
  }
  work(0);
}

// Runs work(t, c) for every c in 0 .. count - 1 on `threads` threads (t
// counting them from 0), each taking the next c when done with one.
template <typename Work>
void RunShared(std::size_t threads, std::size_t count, const Work& work) {
  std::atomic<std::size_t> next{0};
  RunOnThreads(threads, [&](std::size_t t) {
    for (std::size_t c; (c = next.fetch_add(1)) < count;) work(t, c);
  });
}

constexpr std::size_t kChunksPerThread = 8;

// Reads up to n bytes at `offset` into `buf`; fewer where the file ends
// sooner. Returns the count, or -1 for a read error.
long long ReadAt(int fd, std::size_t offset, std::size_t n, char* buf) {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd, buf + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;  // the file shrank meanwhile
    got += static_cast<std::size_t>(r);
  }
  return static_cast<long long>(got);
}

// Bytes [from, to) of a file, or as many of them as it still has.
class FileBytes {
 public:
  // False for a read error, or when memory cannot hold them.
  bool Read(int fd, std::size_t from, std::size_t to) {
    try {
      bytes_.reset(new char[to > from ? to - from : 1]);
    } catch (const std::bad_alloc&) {
      return false;
    }
    const long long got = to > from ? ReadAt(fd, from, to - from, bytes_.get()) : 0;
    size_ = got < 0 ? 0 : static_cast<std::size_t>(got);
    return got >= 0;
  }

  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

// The fast path for regular node lines: five plain numbers ("-12.345") joined
// by single commas and ended by CR LF or LF, nothing else on the line. On such
// a line the field reader takes exactly those five numbers as one record and
// stops at the next line, so the lines can be parsed in parallel chunks. From
// the first line that is not regular on, the reading goes on in sequence: a
// record that starts where the rest of its line is regular is still taken by
// the fast parser (the field reader would take the same five numbers), every
// other by the field reader.

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kExactDigits = 15;  // below 2^53: the digits as an exact Double

// A plain number at p: an optional sign, digits with at most one ".", at
// least one digit. Returns the position after it, or nullptr when the text
// there is not one (or is too large for a Double). With at most 15 digits and
// 22 decimals, digits / 10^decimals is one correctly rounded division of two
// exact Doubles, the same Double the field reader's conversion gives.
const char* PlainNumber(const char* p, const char* end, double& out) {
  const char* start = p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  uint64_t m = 0;
  int digits = 0, decimals = 0;
  for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p, ++digits) {
    m = m * 10 + static_cast<unsigned>(*p - '0');
  }
  if (p < end && *p == '.') {
    for (++p; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p, ++digits, ++decimals) {
      m = m * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  if (digits == 0) return nullptr;
  if (digits <= kExactDigits && decimals < static_cast<int>(std::size(kPow10))) {
    const double v = static_cast<double>(m) / kPow10[decimals];
    out = negative ? -v : v;
    return p;
  }
  return ToNumber(std::string_view(start, static_cast<std::size_t>(p - start)), out) ? p : nullptr;
}

// One regular line at p into `r`; returns the position after its line end,
// or nullptr when the line is not regular.
const char* RegularLine(const char* p, const char* end, ParaRecord& r) {
  double* fields[5] = {&r.x, &r.y, &r.dx, &r.dy, &r.dh};
  for (int f = 0; f < 5; ++f) {
    p = PlainNumber(p, end, *fields[f]);
    if (p == nullptr || p == end) return nullptr;
    if (f < 4) {
      if (*p != ',') return nullptr;
      ++p;
    }
  }
  if (*p == '\r') ++p;
  if (p == end || *p != '\n') return nullptr;
  return p + 1;
}

// One chunk of the record part. Each thread reads its chunk straight from the
// file through a small window of its own, so that the file is never held
// whole: after an idle spell this machine's fresh memory is slow to touch, and
// the window stays in the processor's cache.
struct Chunk {
  static constexpr std::size_t kNone = SIZE_MAX;

  std::size_t from = 0, to = 0;   // the stretch whose line feeds are counted
  std::size_t firstFeed = kNone;  // the first line feed in it
  int64_t feeds = 0;              // line feeds in [from, to)
  bool failed = false;            // a read error
  // Whole lines [begin, end): those that start after the first line feed
  // at or after `from`, up to the next chunk's begin.
  std::size_t begin = 0, end = 0;
  int64_t firstRecord = 0;  // the record number of its first line, were all regular
  int64_t slots = 0;        // records it may write: its line feeds when counted
  std::size_t stop = 0;     // where the parsing stopped (end when all were regular)
  int64_t records = 0;
  // Where the reader stands after each record whose number is a multiple of
  // the yield interval, in order.
  std::vector<std::size_t> yieldPositions;
};

// Counts the line feeds of [c.from, c.to) and finds the first of them.
void CountChunk(int fd, Chunk& c, char* window, std::size_t windowBytes) {
  for (std::size_t at = c.from; at < c.to;) {
    const long long n = ReadAt(fd, at, std::min(windowBytes, c.to - at), window);
    if (n < 0) c.failed = true;
    if (n <= 0) return;
    const std::string_view part(window, static_cast<std::size_t>(n));
    if (c.firstFeed == Chunk::kNone) {
      const std::size_t lf = part.find('\n');
      if (lf != std::string_view::npos) c.firstFeed = at + lf;
    }
    c.feeds += CountLineFeeds(part);
    at += static_cast<std::size_t>(n);
  }
}

// Parses the regular lines of [c.begin, c.end) into records[c.firstRecord..],
// one window at a time; a line cut by the window's end is moved to its front
// and completed by the next read. Stops at the first line that is not
// regular, at a line longer than the window, and at the slots counted (the
// file may change between the two readings).
void ParseChunk(int fd, Chunk& c, ParaRecord* records, char* window, std::size_t windowBytes) {
  int64_t k = c.firstRecord;
  const int64_t lastSlot = c.firstRecord + c.slots;
  std::size_t windowAt = c.begin;  // the file position of window[0]
  std::size_t have = 0;
  const char* p = window;
  try {
    for (bool more = true; more;) {
      const auto used = static_cast<std::size_t>(p - window);
      std::memmove(window, p, have - used);
      windowAt += used;
      have -= used;
      p = window;
      const std::size_t want = std::min(windowBytes - have, c.end - (windowAt + have));
      if (want == 0) break;  // the chunk's end, or a line longer than the window
      const long long n = ReadAt(fd, windowAt + have, want, window + have);
      if (n < 0) c.failed = true;
      if (n <= 0) break;
      have += static_cast<std::size_t>(n);
      const auto* lastFeed = static_cast<const char*>(memrchr(window, '\n', have));
      const char* const complete = lastFeed == nullptr ? window : lastFeed + 1;
      while (p < complete) {
        const char* next = k < lastSlot ? RegularLine(p, complete, records[k]) : nullptr;
        if (next == nullptr) {
          more = false;
          break;
        }
        p = next;
        if (k % kYieldInterval == 0) {
          c.yieldPositions.push_back(windowAt + static_cast<std::size_t>(p - window));
        }
        ++k;
      }
    }
  } catch (const std::exception&) {
    // Out of memory converting a long number: the field reader goes on here.
  }
  c.stop = windowAt + static_cast<std::size_t>(p - window);
  c.records = k - c.firstRecord;
}

// Room for `n` records, asked of the system in 2 MB pages where it has them.
// The lookups of a conversion read the records at random, and with 4 kB
// pages nearly every one of them would first wait for the page tables. Only
// a hint: the records and their order are the same either way.
void ReserveRecords(RecordList& records, std::size_t n) {
  if (n <= records.capacity()) return;
  records.reserve(n);
  AdviseHugePages(records.data(), records.capacity() * sizeof(ParaRecord));
}

// The regular records of [begin, size) of the file, parsed on up to
// `threads` threads (each given at least `minChunk` bytes) into
// store.records[1..]. Returns the number of records taken (a run of regular
// lines from `begin`) and sets `resume` to where the field reader goes on and
// `yieldPositions` to the reader's position after every 2000th of them.
// `failed` is set for a read error.
int32_t ParseRegularRecords(int fd, std::size_t begin, std::size_t size, const ReadOptions& options,
                            unsigned threads, ParamStore& store, std::size_t& resume,
                            std::vector<std::size_t>& yieldPositions, bool& failed) {
  resume = begin;
  if (begin >= size) return 0;
  const std::size_t length = size - begin;
  const std::size_t windowBytes = std::max<std::size_t>(options.windowBytes, 16);
  // Several chunks a thread, taken in turn: the threads do not run equally
  // fast (first touches of fresh memory cost more on some than on others).
  const std::size_t n = std::max<std::size_t>(
      1, std::min<std::size_t>(std::size_t{threads} * kChunksPerThread,
                               length / std::max<std::size_t>(options.minChunkBytes, 1)));
  const std::size_t workers = std::min<std::size_t>(threads, n);
  std::vector<std::unique_ptr<char[]>> windows(workers);
  for (auto& w : windows) w.reset(new char[windowBytes]);
  std::vector<Chunk> chunks(n);
  for (std::size_t c = 0; c < n; ++c) {
    chunks[c].from = begin + length / n * c;
    chunks[c].to = c + 1 == n ? size : begin + length / n * (c + 1);
  }
  // Count the line feeds of every stretch, then parse: a chunk begins after
  // the first line feed of its stretch (the first chunk at `begin`), and its
  // first record number is one more than the feeds before that.
  RunShared(workers, n, [&](std::size_t t, std::size_t c) {
    CountChunk(fd, chunks[c], windows[t].get(), windowBytes);
  });
  std::vector<int64_t> feedsBefore(n);  // line feeds before each stretch
  int64_t feeds = 0;
  for (std::size_t c = 0; c < n; ++c) {
    failed = failed || chunks[c].failed;
    feedsBefore[c] = feeds;
    feeds += chunks[c].feeds;
  }
  if (failed) return 0;
  if (feeds > INT32_MAX) return 0;  // the field reader stops at the 32-bit count
  // From the last chunk back, each ending where the next begins; a stretch
  // without a line feed gives an empty chunk.
  std::size_t next = size;
  int64_t nextFirst = feeds + 1;
  for (std::size_t c = n; c-- > 0;) {
    Chunk& k = chunks[c];
    if (c == 0) {
      k.begin = begin;
      k.firstRecord = 1;
    } else if (k.firstFeed != Chunk::kNone) {
      k.begin = k.firstFeed + 1;
      k.firstRecord = feedsBefore[c] + 2;
    } else {
      k.begin = next;
      k.firstRecord = nextFirst;
    }
    k.end = next;
    k.slots = nextFirst - k.firstRecord;
    k.yieldPositions.reserve(static_cast<std::size_t>(k.slots / kYieldInterval + 2));
    next = k.begin;
    nextFirst = k.firstRecord;
  }
  // A slot for every line feed: a last line without one is never parsed
  // here. The room is not cleared: each chunk's thread writes its records
  // (and first touches their pages), and those past the regular run are
  // dropped below.
  const auto slots = static_cast<std::size_t>(feeds) + 1;
  ReserveRecords(store.records, slots);
  {
    const UnclearedRecords uncleared;
    store.records.resize(slots);
  }
  ParaRecord* records = store.records.data();
  RunShared(workers, n, [&](std::size_t t, std::size_t c) {
    ParseChunk(fd, chunks[c], records, windows[t].get(), windowBytes);
  });

  int64_t taken = 0;
  for (const Chunk& c : chunks) {
    failed = failed || c.failed;
    if (c.firstRecord != taken + 1) break;
    taken += c.records;
    resume = c.stop;
    yieldPositions.insert(yieldPositions.end(), c.yieldPositions.begin(), c.yieldPositions.end());
    if (c.stop != c.end) break;
  }
  store.records.resize(static_cast<std::size_t>(taken) + 1);
  return static_cast<int32_t>(taken);
}

// A value's column of the summary: "#####0.00000" right-aligned in 9
// characters, a longer text cut to its first 9.
std::string SummaryColumn(double v) {
  return FitRight(FormatNumber(v, "#####0.00000"), 9);
}

// Adds `v` to `sum` unless the result is not finite (the step then fails and
// the sum keeps its value).
inline void AddChecked(double& sum, double v) {
  double r = sum + v;
  if (std::isfinite(r)) sum = r;
}

}  // namespace

std::string ReadingMessage(const std::string& paraFilePath) {
  return "ただ今，1行1ｸﾞﾘｯﾄﾞ型の座標変換ﾊﾟﾗﾒｰﾀを\r\"" + FileNameOf(paraFilePath) +
         "\"から読み込んでいます。\rしばらくお待ち下さい...";
}

std::string OpenFailureMessage(const std::string& paraFilePath) {
  return "任意地域をｶﾊﾞｰする変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ" + FileNameOf(paraFilePath) +
         "を開けませんでした。\r任意地域をｶﾊﾞｰするﾊﾟﾗﾒｰﾀﾌｧｲﾙを選択して下さい。";
}

std::string FileSizeText(long long bytes) {
  return FormatNumber(static_cast<double>(bytes), "###,###,###") + " Bytes";
}

std::string SummaryText(const ParamStore& store) {
  std::string s = std::to_string(store.count) + "行の変換ﾊﾟﾗﾒｰﾀを読み込みました。\r\n";
  s += "情報行：" + store.RangeTextUtf8() + "   " + store.MethodTextUtf8() + "\r\n";
  s += std::string(9, ' ') + store.VersionUtf8() + "   " + std::to_string(store.zoneNo) + "\r\n";
  auto columns = [&](const char* head, int32_t k) {
    std::string line = head;
    // Without records there are no values to show.
    if (store.count > 0 && k >= 1 && static_cast<std::size_t>(k) < store.records.size()) {
      const ParaRecord& r = store.records[static_cast<std::size_t>(k)];
      for (double v : {r.dx, r.dy, r.dh}) line += " " + SummaryColumn(v);
    }
    return line;
  };
  s += columns("第１行：", 1) + "\r\n";
  s += columns("最終行：", store.count);
  return s;
}

int ZoneListIndex(int16_t zoneNo) {
  return zoneNo >= 1 && zoneNo <= 19 ? zoneNo - 1 : -1;
}

namespace {

// The header's fields, read apart from the store until it is known that the
// bytes read hold the whole header.
struct HeaderFields {
  std::string rangeText, methodText, version;
  int16_t zoneNo = 0;
  double gridMinX = 0, gridMaxX = 0, gridStepX = 0;
  double gridMinY = 0, gridMaxY = 0, gridStepY = 0;

  explicit HeaderFields(const ParamStore& s)
      : rangeText(s.rangeText),
        methodText(s.methodText),
        version(s.version),
        zoneNo(s.zoneNo),
        gridMinX(s.gridMinX),
        gridMaxX(s.gridMaxX),
        gridStepX(s.gridStepX),
        gridMinY(s.gridMinY),
        gridMaxY(s.gridMaxY),
        gridStepY(s.gridStepY) {}

  void MoveTo(ParamStore& s) {
    s.rangeText = std::move(rangeText);
    s.methodText = std::move(methodText);
    s.version = std::move(version);
    s.zoneNo = zoneNo;
    s.gridMinX = gridMinX;
    s.gridMaxX = gridMaxX;
    s.gridStepX = gridStepX;
    s.gridMinY = gridMinY;
    s.gridMaxY = gridMaxY;
    s.gridStepY = gridStepY;
  }
};

// The header: an information line (range, method, version, zone), the X and Y
// lines (minimum, maximum, spacing) and the column heading. Each line is one
// step; a failed field ends its step, and the fields after it keep their
// previous values.
void ReadHeader(FieldReader& in, HeaderFields& h) {
  std::string range = h.rangeText, method = h.methodText, version = h.version;
  double zone = 0;
  if (in.ReadText(range)) {
    h.rangeText = range;
    if (in.ReadText(method)) {
      h.methodText = method;
      if (in.ReadText(version)) {
        h.version = version;
        if (in.ReadNumber(zone)) {
          try {
            h.zoneNo = ToInt16(zone);
          } catch (const OverflowError&) {
            // Beyond the 16-bit range: the zone keeps its value.
          }
        }
      }
    }
  }
  double* line2[3] = {&h.gridMinX, &h.gridMaxX, &h.gridStepX};
  double* line3[3] = {&h.gridMinY, &h.gridMaxY, &h.gridStepY};
  for (double** line : {line2, line3}) {
    for (int f = 0; f < 3; ++f) {
      if (!in.ReadNumber(*line[f])) break;
    }
  }
  in.SkipLine();
}

enum class RecordsRead { kAll, kCancelled, kTooMany, kFailed };

// The node records after the header, in file order (element 0 stays zero),
// with the sums of their corrections accumulated in that order, the progress
// every 2000 records and the cancel test there. `head` holds the file's first
// bytes (all of them when it ends at `size`).
class RecordReader {
 public:
  RecordReader(ParamStore& store, bool& cancelRequested, LoadView& view, int fd, std::size_t size,
               const FileBytes& head)
      : store_(store), cancel_(cancelRequested), view_(view), fd_(fd), size_(size), head_(head) {}

  RecordsRead Read(const ReadOptions& options, unsigned threads, std::size_t begin) {
    store_.records.assign(1, ParaRecord{});
    store_.count = 0;
    std::size_t resume = begin;
    if (options.fastPath) {
      const RecordsRead regular = RegularRecords(options, threads, begin, resume);
      if (regular != RecordsRead::kAll) return regular;
    }
    // The rest of the file, for the field reader.
    FileBytes rest;
    std::string_view data;
    if (head_.view().size() >= size_) {
      data = head_.view().substr(std::min(resume, head_.view().size()));
    } else if (resume < size_) {
      if (!rest.Read(fd_, resume, size_)) return RecordsRead::kFailed;
      data = rest.view();
    }
    FieldReader in(data);
    // The records after the regular ones are added after them.
    if (!in.AtEnd()) AddPending();
    return OtherRecords(options.fastPath, in, resume);
  }

  // Adds the regular records that Read left to be added, in file order, on a
  // thread of its own while `work` runs here. Both only read the records, and
  // the sums come out the same as when added one by one as read.
  template <class Work>
  void AddPendingBeside(const Work& work) {
    RunOnThreads(2, [&](std::size_t t) {
      if (t == 0) {
        work();
      } else {
        AddPending();
      }
    });
  }

  double sumDx = 0, sumDy = 0, sumDh = 0;

 private:
  void Add(const ParaRecord& r) {
    AddChecked(sumDx, r.dx);
    AddChecked(sumDy, r.dy);
    AddChecked(sumDh, r.dh);
  }

  void AddPending() {
    for (int32_t k = 1; k <= pending_; ++k) Add(store_.records[static_cast<std::size_t>(k)]);
    pending_ = 0;
  }

  // Keeps the records read so far, indexed, and clears the request.
  void StopForCancel() {
    store_.records.resize(static_cast<std::size_t>(store_.count) + 1);
    store_.index = GridIndex::Build(store_);
    view_.SetBusy(false);
    cancel_ = false;
  }

  // The regular lines first, on several threads, then the yields their
  // reading would have made. kCancelled when cancelled at one of them.
  RecordsRead RegularRecords(const ReadOptions& options, unsigned threads, std::size_t begin,
                             std::size_t& resume) {
    std::vector<std::size_t> yieldPositions;
    int32_t taken = 0;
    bool failed = false;
    try {
      taken = ParseRegularRecords(fd_, begin, size_, options, threads, store_, resume,
                                  yieldPositions, failed);
    } catch (const std::bad_alloc&) {
      store_.records.assign(1, ParaRecord{});  // the field reader reads them all
      taken = 0;
      resume = begin;
      yieldPositions.clear();
    }
    if (failed) return RecordsRead::kFailed;
    for (std::size_t y = 0; y < yieldPositions.size(); ++y) {
      view_.SetProgress(static_cast<long>(yieldPositions[y] / 128));
      if (cancel_) {
        store_.count = static_cast<int32_t>((y + 1) * kYieldInterval);
        StopForCancel();
        return RecordsRead::kCancelled;
      }
      view_.Yield();
    }
    store_.count = taken;
    pending_ = taken;  // added by AddPending, before any record after them
    return RecordsRead::kAll;
  }

  // The records in `data`, which starts at `offset` of the file: those after
  // the first irregular line (all of them without the fast path), a regular
  // rest of a line in one step, anything else field by field.
  RecordsRead OtherRecords(bool fastPath, FieldReader& in, std::size_t offset) {
    const std::string_view data = in.data();
    bool estimated = store_.count >= 256;
    while (!in.AtEnd()) {
      try {
        int32_t next = AddInt32(store_.count, 1);
        store_.records.emplace_back();
        store_.count = next;
        if (!estimated && next == 256) {
          estimated = true;
          ReserveForTheRest(offset + in.Position());
        }
      } catch (const std::exception&) {
        return RecordsRead::kTooMany;  // more than a 32-bit count or memory can hold
      }
      ParaRecord& r = store_.records.back();
      const char* next =
          fastPath ? RegularLine(data.data() + in.Position(), data.data() + data.size(), r)
                   : nullptr;
      if (next != nullptr) {
        in.MoveTo(static_cast<std::size_t>(next - data.data()));
      } else {
        r = ParaRecord{};
        double* fields[5] = {&r.x, &r.y, &r.dx, &r.dy, &r.dh};
        for (double* f : fields) {
          if (!in.ReadNumber(*f)) break;
        }
      }
      Add(r);
      if (store_.count % kYieldInterval == 0) {
        view_.SetProgress(static_cast<long>((offset + in.Position()) / 128));
        if (cancel_) {
          StopForCancel();
          return RecordsRead::kCancelled;
        }
        view_.Yield();
      }
    }
    return RecordsRead::kAll;
  }

  // Room for the rest of the file, estimated from the bytes per record so far.
  void ReserveForTheRest(std::size_t position) {
    const double perRecord = static_cast<double>(position) / store_.count;
    const double expect = static_cast<double>(size_) / perRecord * 1.05 + 64;
    try {
      if (expect < 1e9) ReserveRecords(store_.records, static_cast<std::size_t>(expect));
    } catch (const std::bad_alloc&) {
      // Only an estimate (a file of empty lines looks huge): grow as needed.
    }
  }

  ParamStore& store_;
  bool& cancel_;
  LoadView& view_;
  int fd_;
  std::size_t size_;
  const FileBytes& head_;
  int32_t pending_ = 0;  // records 1 .. pending_ are not added yet
};

// Closes a descriptor on every way out.
struct FdCloser {
  int fd;
  ~FdCloser() { ::close(fd); }
};

}  // namespace

void ReadParaFile(ParamStore& store, bool& cancelRequested, LoadView& view,
                  const ReadOptions& options) {
  view.SetStatusText(ReadingMessage(store.paraFilePath));
  const unsigned threads =
      options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  auto failed = [&] {
    view.SetStatusColor(colors::kLightRed);
    view.SetStatusText(OpenFailureMessage(store.paraFilePath));
    store.version.clear();
    view.ShowBreak(false);
  };
  FileProblem problem;
  long long fileSize = 0;
  const int fd = OpenRegularForReading(store.paraFilePath, problem, fileSize);
  if (fd < 0) return failed();
  const FdCloser closer{fd};
  const auto size = static_cast<std::size_t>(fileSize);

  // The header from the file's first window; the whole file when it holds
  // more than that (the field reader must not see a header cut short).
  FileBytes head;
  std::size_t begin = 0;
  for (std::size_t want = std::min(size, std::max<std::size_t>(options.windowBytes, 16));;
       want = size) {
    if (!head.Read(fd, 0, want)) return failed();
    FieldReader in(head.view());
    HeaderFields h(store);
    ReadHeader(in, h);
    if (in.Position() < head.view().size() || head.view().size() < want || want == size) {
      h.MoveTo(store);
      begin = in.Position();
      break;
    }
  }
  view.SetBusy(true);
  const double progressMax = static_cast<double>(size) / kProgressUnit;
  view.SetProgressMax(progressMax);
  view.SetSizeText(FileSizeText(fileSize));

  RecordReader records(store, cancelRequested, view, fd, size, head);
  const RecordsRead read = records.Read(options, threads, begin);
  if (read == RecordsRead::kCancelled) return;
  if (read == RecordsRead::kFailed) {
    // A read error part way: nothing of this file is kept.
    store.records.assign(1, ParaRecord{});
    store.count = 0;
    store.index = nullptr;
    view.SetBusy(false);
    return failed();
  }
  records.AddPendingBeside([&store] { store.index = GridIndex::Build(store); });
  // A cancel handled at a yield after which no further multiple of 2000 came
  // would otherwise stay set after a complete reading, and the start-up would
  // end the program although the grid was read in full.
  cancelRequested = false;
  if (read == RecordsRead::kTooMany) {
    view.SetStatusColor(colors::kLightRed);
    view.SetStatusText("変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙが大きすぎるため、" + std::to_string(store.count) +
                       "行までしか読み込めませんでした。");
    view.SetBusy(false);
    return;
  }
  if (store.count > 0) {
    store.repDx = records.sumDx / store.count;
    store.repDy = records.sumDy / store.count;
    store.repDh = records.sumDh / store.count;
  } else {
    // No node at all: the grid has no parameters anywhere; zero corrections.
    store.repDx = store.repDy = store.repDh = 0;
  }
  view.SetProgress(static_cast<long>(std::floor(progressMax)));
  view.SetStatusText(SummaryText(store));
  view.SetBusy(false);
}

}  // namespace varno::params
