#include "params/reader.h"

#include <cerrno>
#include <cmath>
#include <new>
#include <string_view>

#include <unistd.h>

#include <algorithm>
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
// one; where no thread can be had, the work is done here.
template <typename Work>
void RunOnThreads(std::size_t n, const Work& work) {
  std::vector<std::thread> workers;
  workers.reserve(n);
  for (std::size_t c = 1; c < n; ++c) {
    try {
      workers.emplace_back([&work, c] { work(c); });
    } catch (const std::exception&) {
      work(c);  // no thread to be had
    }
  }
  work(0);
  for (std::thread& t : workers) t.join();
}

// A whole file's bytes. Only a regular file is read (a FIFO or a device would
// block or never end), and never more than the length it had when it was
// opened. The room is not cleared first, and a large file is read in parts
// on several threads, so that copying it and faulting its pages in are
// shared out.
class FileBytes {
 public:
  // False when the file cannot be opened or read, or memory cannot hold it.
  bool Read(const std::string& path, unsigned threads, std::size_t minPart) {
    FileProblem problem;
    long long size = 0;
    const int fd = OpenRegularForReading(path, problem, size);
    if (fd < 0) return false;
    bool ok = true;
    try {
      const auto want = static_cast<std::size_t>(size);
      bytes_.reset(new char[want == 0 ? 1 : want]);
      AdviseHugePages(bytes_.get(), want);
      const std::size_t parts = std::clamp<std::size_t>(want / std::max<std::size_t>(minPart, 1), 1,
                                                        std::max(threads, 1u));
      std::vector<std::size_t> got(parts, 0);
      std::vector<char> failed(parts, 0);
      RunOnThreads(parts, [&](std::size_t k) {
        const std::size_t from = want / parts * k;
        const std::size_t to = k + 1 == parts ? want : want / parts * (k + 1);
        while (from + got[k] < to) {
          const ssize_t n = ::pread(fd, bytes_.get() + from + got[k], to - from - got[k],
                                    static_cast<off_t>(from + got[k]));
          if (n < 0 && errno == EINTR) continue;
          if (n < 0) failed[k] = 1;
          if (n <= 0) break;  // an error, or the file shrank meanwhile
          got[k] += static_cast<std::size_t>(n);
        }
      });
      // The bytes up to the first part that came short (a file that shrank).
      size_ = 0;
      for (std::size_t k = 0; k < parts && ok; ++k) {
        ok = failed[k] == 0;
        size_ += got[k];
        const std::size_t to = k + 1 == parts ? want : want / parts * (k + 1);
        if (ok && want / parts * k + got[k] < to) break;
      }
    } catch (const std::exception&) {
      ok = false;  // more than memory can hold
    }
    ::close(fd);
    if (!ok) {
      bytes_.reset();
      size_ = 0;
    }
    return ok;
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

// One chunk of the record part, parsed from its first line while the lines
// are regular.
struct Chunk {
  std::size_t begin = 0, end = 0;  // [begin, end) of the file, whole lines
  int64_t firstRecord = 0;         // the record number of its first line, were all regular
  std::size_t stop = 0;            // where the parsing stopped (end when all were regular)
  int64_t records = 0;
  // Where the reader stands after each record whose number is a multiple of
  // the yield interval, in order.
  std::vector<std::size_t> yieldPositions;
};

void ParseChunk(std::string_view d, Chunk& c, ParaRecord* records) {
  const char* base = d.data();
  const char* p = base + c.begin;
  const char* end = base + c.end;
  int64_t k = c.firstRecord;
  try {
    while (p < end) {
      const char* next = RegularLine(p, end, records[k]);
      if (next == nullptr) break;
      p = next;
      if (k % kYieldInterval == 0) c.yieldPositions.push_back(static_cast<std::size_t>(p - base));
      ++k;
    }
  } catch (const std::exception&) {
    // Out of memory converting a long number: the field reader goes on here.
  }
  c.stop = static_cast<std::size_t>(p - base);
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

// The regular records from `begin` on, parsed on up to `threads` threads (each
// given at least `minChunk` bytes) into store.records[1..]. Returns the number of records taken (a
// run of regular lines from `begin`) and sets `resume` to where the field reader goes on and
// `yieldPositions` to the reader's position after every 2000th of them.
int32_t ParseRegularRecords(std::string_view d, std::size_t begin, unsigned threads,
                            std::size_t minChunk, ParamStore& store, std::size_t& resume,
                            std::vector<std::size_t>& yieldPositions) {
  resume = begin;
  const std::size_t size = d.size() - begin;
  const std::size_t n = std::max<std::size_t>(
      1, std::min<std::size_t>(threads, size / std::max<std::size_t>(minChunk, 1)));
  std::vector<Chunk> chunks(n);
  // Chunks start after a line feed; a chunk boundary that is not a record
  // boundary is never reached by a chunk parsed to its end.
  std::size_t at = begin;
  for (std::size_t c = 0; c < n; ++c) {
    chunks[c].begin = at;
    std::size_t end = d.size();
    if (c + 1 < n) {
      const std::size_t lf = d.find('\n', std::max(at, begin + size / n * (c + 1)));
      end = lf == std::string_view::npos ? d.size() : lf + 1;
    }
    chunks[c].end = at = end;
  }
  // Count the line feeds of every chunk, then parse them: a chunk's first
  // record number is one more than the feeds before it.
  std::vector<int64_t> feeds(n);
  RunOnThreads(n, [&](std::size_t c) {
    feeds[c] = CountLineFeeds(d.substr(chunks[c].begin, chunks[c].end - chunks[c].begin));
  });
  int64_t lines = 1;
  for (std::size_t c = 0; c < n; ++c) {
    chunks[c].firstRecord = lines;
    lines += feeds[c];
    chunks[c].yieldPositions.reserve(static_cast<std::size_t>(feeds[c] / kYieldInterval + 2));
  }
  if (lines - 1 > INT32_MAX) return 0;  // the field reader stops at the 32-bit count
  // One slot more than there are line feeds: a last line without one is
  // parsed into it before it is found not regular. The room is not cleared:
  // each chunk's thread writes its records (and first touches their pages),
  // and those past the regular run are dropped below.
  ReserveRecords(store.records, static_cast<std::size_t>(lines) + 1);
  {
    const UnclearedRecords uncleared;
    store.records.resize(static_cast<std::size_t>(lines) + 1);
  }
  ParaRecord* records = store.records.data();
  RunOnThreads(n, [&](std::size_t c) { ParseChunk(d, chunks[c], records); });

  int64_t taken = 0;
  for (const Chunk& c : chunks) {
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

// The header: an information line (range, method, version, zone), the X and Y
// lines (minimum, maximum, spacing) and the column heading. Each line is one
// step; a failed field ends its step, and the fields after it keep their
// previous values.
void ReadHeader(FieldReader& in, ParamStore& store) {
  std::string range = store.rangeText, method = store.methodText, version = store.version;
  double zone = 0;
  if (in.ReadText(range)) {
    store.rangeText = range;
    if (in.ReadText(method)) {
      store.methodText = method;
      if (in.ReadText(version)) {
        store.version = version;
        if (in.ReadNumber(zone)) {
          try {
            store.zoneNo = ToInt16(zone);
          } catch (const OverflowError&) {
            // Beyond the 16-bit range: the zone keeps its value.
          }
        }
      }
    }
  }
  double* line2[3] = {&store.gridMinX, &store.gridMaxX, &store.gridStepX};
  double* line3[3] = {&store.gridMinY, &store.gridMaxY, &store.gridStepY};
  for (double** line : {line2, line3}) {
    for (int f = 0; f < 3; ++f) {
      if (!in.ReadNumber(*line[f])) break;
    }
  }
  in.SkipLine();
}

enum class RecordsRead { kAll, kCancelled, kTooMany };

// The node records after the header, in file order (element 0 stays zero),
// with the sums of their corrections accumulated in that order, the progress
// every 2000 records and the cancel test there.
class RecordReader {
 public:
  RecordReader(ParamStore& store, bool& cancelRequested, LoadView& view, FieldReader& in,
               std::string_view data)
      : store_(store), cancel_(cancelRequested), view_(view), in_(in), data_(data) {}

  RecordsRead Read(const ReadOptions& options, unsigned threads) {
    store_.records.assign(1, ParaRecord{});
    store_.count = 0;
    if (options.fastPath && !RegularRecords(options, threads)) return RecordsRead::kCancelled;
    return OtherRecords(options.fastPath);
  }

  double sumDx = 0, sumDy = 0, sumDh = 0;

 private:
  void Add(const ParaRecord& r) {
    AddChecked(sumDx, r.dx);
    AddChecked(sumDy, r.dy);
    AddChecked(sumDh, r.dh);
  }

  // Keeps the records read so far, indexed, and clears the request.
  void StopForCancel() {
    store_.records.resize(static_cast<std::size_t>(store_.count) + 1);
    store_.index = GridIndex::Build(store_);
    view_.SetBusy(false);
    cancel_ = false;
  }

  // The regular lines first, on several threads, then the yields their
  // reading would have made. False when cancelled at one of them.
  bool RegularRecords(const ReadOptions& options, unsigned threads) {
    std::size_t resume = in_.Position();
    std::vector<std::size_t> yieldPositions;
    int32_t taken = 0;
    try {
      taken = ParseRegularRecords(data_, in_.Position(), threads, options.minChunkBytes, store_,
                                  resume, yieldPositions);
    } catch (const std::bad_alloc&) {
      store_.records.assign(1, ParaRecord{});  // the field reader reads them all
      taken = 0;
      resume = in_.Position();
    }
    for (std::size_t y = 0; y < yieldPositions.size(); ++y) {
      view_.SetProgress(static_cast<long>(yieldPositions[y] / 128));
      if (cancel_) {
        store_.count = static_cast<int32_t>((y + 1) * kYieldInterval);
        StopForCancel();
        return false;
      }
      view_.Yield();
    }
    store_.count = taken;
    for (int32_t k = 1; k <= taken; ++k) Add(store_.records[static_cast<std::size_t>(k)]);
    in_.MoveTo(resume);
    return true;
  }

  // The records after the first irregular line (all of them without the
  // fast path): a regular rest of a line in one step, anything else field by
  // field.
  RecordsRead OtherRecords(bool fastPath) {
    bool estimated = store_.count >= 256;
    while (!in_.AtEnd()) {
      try {
        int32_t next = AddInt32(store_.count, 1);
        store_.records.emplace_back();
        store_.count = next;
        if (!estimated && next == 256) {
          estimated = true;
          ReserveForTheRest();
        }
      } catch (const std::exception&) {
        return RecordsRead::kTooMany;  // more than a 32-bit count or memory can hold
      }
      ParaRecord& r = store_.records.back();
      const char* next =
          fastPath ? RegularLine(data_.data() + in_.Position(), data_.data() + data_.size(), r)
                   : nullptr;
      if (next != nullptr) {
        in_.MoveTo(static_cast<std::size_t>(next - data_.data()));
      } else {
        r = ParaRecord{};
        double* fields[5] = {&r.x, &r.y, &r.dx, &r.dy, &r.dh};
        for (double* f : fields) {
          if (!in_.ReadNumber(*f)) break;
        }
      }
      Add(r);
      if (store_.count % kYieldInterval == 0) {
        view_.SetProgress(static_cast<long>(in_.Position() / 128));
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
  void ReserveForTheRest() {
    const double perRecord = static_cast<double>(in_.Position()) / store_.count;
    const double expect = static_cast<double>(data_.size()) / perRecord * 1.05 + 64;
    try {
      if (expect < 1e9) ReserveRecords(store_.records, static_cast<std::size_t>(expect));
    } catch (const std::bad_alloc&) {
      // Only an estimate (a file of empty lines looks huge): grow as needed.
    }
  }

  ParamStore& store_;
  bool& cancel_;
  LoadView& view_;
  FieldReader& in_;
  std::string_view data_;
};

}  // namespace

void ReadParaFile(ParamStore& store, bool& cancelRequested, LoadView& view,
                  const ReadOptions& options) {
  view.SetStatusText(ReadingMessage(store.paraFilePath));
  const unsigned threads =
      options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  FileBytes file;
  if (!file.Read(store.paraFilePath, threads, options.minReadBytes)) {
    view.SetStatusColor(colors::kLightRed);
    view.SetStatusText(OpenFailureMessage(store.paraFilePath));
    store.version.clear();
    view.ShowBreak(false);
    return;
  }
  const std::string_view data = file.view();
  view.SetBusy(true);
  const double progressMax = static_cast<double>(data.size()) / kProgressUnit;
  view.SetProgressMax(progressMax);
  view.SetSizeText(FileSizeText(static_cast<long long>(data.size())));

  FieldReader in(data);
  ReadHeader(in, store);
  RecordReader records(store, cancelRequested, view, in, data);
  const RecordsRead read = records.Read(options, threads);
  if (read == RecordsRead::kCancelled) return;
  store.index = GridIndex::Build(store);
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
