#include "batch/io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/errors.h"
#include "text/files.h"
#include "text/line_feeds.h"
#include "text/quote.h"

namespace varno::batch {

namespace {

[[noreturn]] void ThrowOpenError(const std::string& path, const FileProblem& problem) {
  throw FileError(problem.number, problem.description + "（" + QuoteField(path) + "）");
}

}  // namespace

[[noreturn]] void ThrowWriteError(int err) {
  const FileProblem problem = DescribeFileError(err);
  throw FileError(problem.number, "結果ファイルに書き込めません。" + problem.description);
}

WriteError::WriteError(int err, long long linesInFile)
    : FileError(DescribeFileError(err).number,
                "結果ファイルに書き込めません。" + DescribeFileError(err).description),
      err_(err),
      lines_(linesInFile) {}

LineReader::LineReader(const std::string& path, std::size_t blockSize) {
  // Only a regular file: a FIFO or a device would block or never end.
  FileProblem problem;
  long long size = 0;
  const int fd = OpenRegularForReading(path, problem, size);
  if (fd < 0) ThrowOpenError(path, problem);
  // A small file needs no large block (the buffer still grows for a file
  // that grew meanwhile or a long line).
  if (blockSize == 0) blockSize = 1;
  if (static_cast<unsigned long long>(size) < blockSize)
    blockSize = static_cast<std::size_t>(size) + 1;
  buf_.resize(blockSize);
  file_ = ::fdopen(fd, "rb");
  if (file_ == nullptr) {
    const int err = errno;
    ::close(fd);
    ThrowOpenError(path, DescribeFileError(err, path));
  }
}

LineReader::~LineReader() {
  Close();
}

void LineReader::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

void LineReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);  // a line longer than a block
  if (file_ == nullptr) {
    eof_ = true;
    return;
  }
  std::size_t got = std::fread(buf_.data() + end_, 1, buf_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_))
      throw FileError(DescribeFileError(errno).number,
                      "入力ファイルを読み込めません。" + DescribeFileError(errno).description);
    eof_ = true;
  }
}

// The first CR or LF at or after begin_, or end_ when the buffer holds none:
// one pass for both, 16 bytes at a time, where a library search for each
// would cost two calls a line.
std::size_t LineReader::NextBreak() const {
  const char* p = buf_.data();
  std::size_t q = begin_;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; q + 16 <= end_; q += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + q));
    const auto hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf))));
    if (hits != 0) return q + static_cast<std::size_t>(std::countr_zero(hits));
  }
#endif
  while (q < end_ && p[q] != '\r' && p[q] != '\n') ++q;
  return q;
}

bool LineReader::Next(std::string_view& line) {
  for (;;) {
    const std::size_t t = NextBreak();
    if (t < end_) {
      std::size_t len = 1;
      if (buf_[t] == '\r') {
        if (t + 1 == end_ && !eof_) {  // is the CR followed by an LF in the next block?
          Fill();
          continue;
        }
        if (t + 1 < end_ && buf_[t + 1] == '\n') len = 2;
      }
      line = std::string_view(buf_.data() + begin_, t - begin_);
      begin_ = t + len;
      return true;
    }
    if (eof_) {
      if (begin_ < end_) {
        line = std::string_view(buf_.data() + begin_, end_ - begin_);
        begin_ = end_;
        return true;
      }
      return false;
    }
    Fill();
  }
}

bool LineReader::AtEnd() {
  while (begin_ == end_ && !eof_) Fill();
  return begin_ == end_;
}

long long CountLines(const std::string& path, const std::function<bool()>& cancelled,
                     long long limit, std::size_t blockSize) {
  FileProblem problem;
  long long size = 0;
  const int fd = OpenRegularForReading(path, problem, size);
  if (fd < 0) ThrowOpenError(path, problem);
  // Terminators are LF, and CR when no LF follows it; a last line without one
  // counts too. A CR at the end of a block is settled by the next block.
  if (static_cast<unsigned long long>(size) < blockSize)
    blockSize = static_cast<std::size_t>(size) + 1;
  std::vector<char> block(blockSize > 0 ? blockSize : 1);
  long long n = 0;
  bool pendingCr = false, lineOpen = false;
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int err = errno;
      ::close(fd);
      throw FileError(DescribeFileError(err).number,
                      "入力ファイルを読み込めません。" + DescribeFileError(err).description);
    }
    if (got == 0) break;
    const char* p = block.data();
    const char* const end = p + got;
    if (pendingCr && *p != '\n') ++n;  // the CR ended a line on its own
    n += CountLineFeeds(std::string_view(p, static_cast<std::size_t>(end - p)));
    for (const char* c = p;
         (c = static_cast<const char*>(std::memchr(c, '\r', static_cast<std::size_t>(end - c))));
         ++c) {
      if (c + 1 < end && c[1] != '\n') ++n;
    }
    pendingCr = end[-1] == '\r';
    lineOpen = end[-1] != '\n' && end[-1] != '\r';
    if (n > limit || (cancelled && cancelled())) {
      ::close(fd);
      return n > limit ? limit + 1 : -1;
    }
  }
  ::close(fd);
  if (pendingCr || lineOpen) ++n;
  return n > limit ? limit + 1 : n;
}

ResultWriter::ResultWriter(std::FILE* file, std::size_t blockSize)
    : file_(file), blockSize_(blockSize) {
  buf_.reserve(std::min<std::size_t>(blockSize, 1 << 16) + 4096);  // grows as lines come
  if (file_ != nullptr) {
    std::fflush(file_);  // anything the stream holds goes first
    const off_t at = ::lseek(::fileno(file_), 0, SEEK_CUR);
    offset_ = at > 0 ? static_cast<long long>(at) : 0;
  }
}

void ResultWriter::Flush() {
  if (buf_.empty()) return;
  if (file_ == nullptr) throw FileError(kErrBadFileMode, "結果ファイルが開かれていません。");
  if (failed_) {  // the file was cut back already; nothing more goes in
    buf_.clear();
    return;
  }
  // Written with write(2), so that the bytes that reached the file are known.
  const int fd = ::fileno(file_);
  std::size_t put = 0;
  int err = 0;
  while (put < buf_.size()) {
    const ssize_t n = ::write(fd, buf_.data() + put, buf_.size() - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      break;
    }
    put += static_cast<std::size_t>(n);
  }
  if (put == buf_.size()) {
    offset_ += static_cast<long long>(put);
    if (countLines_) lines_ += CountLineFeeds(buf_);
    buf_.clear();
    return;
  }
  // Keep the whole lines that got in and cut off the partial one.
  const std::size_t lastLf = std::string_view(buf_.data(), put).rfind('\n');
  const std::size_t keep = lastLf == std::string_view::npos ? 0 : lastLf + 1;
  if (countLines_) lines_ += CountLineFeeds(std::string_view(buf_.data(), keep));
  offset_ += static_cast<long long>(keep);
  if (::ftruncate(fd, static_cast<off_t>(offset_)) == 0) ::lseek(fd, offset_, SEEK_SET);
  failed_ = true;
  buf_.clear();
  throw WriteError(err, lines_);
}

void CloseResultFile(std::FILE*& file) {
  if (file == nullptr) return;
  std::FILE* f = file;
  file = nullptr;
  errno = 0;
  bool flushed = std::fflush(f) == 0;
  int err = errno;
  bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) ThrowWriteError(err != 0 ? err : (errno != 0 ? errno : EIO));
}

}  // namespace varno::batch
