#include "batch/io.h"

#include <cerrno>
#include <cstring>

#include "text/errors.h"

namespace varno::batch {

namespace {

std::string ErrnoText(int err) {
  return std::strerror(err);
}

[[noreturn]] void ThrowOpenError(const std::string& path, int err) {
  int number = kErrFileNotFound;
  std::string what = "ファイルが見つかりません。";
  if (err == EACCES || err == EPERM) {
    number = kErrPermissionDenied;
    what = "アクセスが拒否されました。";
  } else if (err == EISDIR || err == ENOTDIR) {
    number = kErrPathAccess;
    what = "パス名が無効です。";
  }
  throw FileError(number, what + "（" + path + ": " + ErrnoText(err) + "）");
}

}  // namespace

[[noreturn]] void ThrowWriteError(int err) {
  if (err == ENOSPC || err == EDQUOT || err == EFBIG)
    throw FileError(kErrDiskFull, "ディスクの空き容量が不足しています（" + ErrnoText(err) + "）。");
  throw FileError(kErrDeviceIo, "結果ファイルに書き込めません（" + ErrnoText(err) + "）。");
}

LineReader::LineReader(const std::string& path, std::size_t blockSize)
    : buf_(blockSize > 0 ? blockSize : 1) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) ThrowOpenError(path, errno);
  // A folder can be opened on some systems; reading it fails at once.
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
  nextLf_ = nextCr_ = kUnknown;
  if (file_ == nullptr) {
    eof_ = true;
    return;
  }
  std::size_t got = std::fread(buf_.data() + end_, 1, buf_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_))
      throw FileError(kErrDeviceIo, "入力ファイルを読み込めません（" + ErrnoText(errno) + "）。");
    eof_ = true;
  }
}

// Position of the next `c` at or after begin_, or end_ when the buffer holds
// none; remembered so that a file without that byte is not rescanned per line.
std::size_t LineReader::Find(char c, std::size_t& cache) {
  if (cache == kUnknown || cache < begin_) {
    const void* hit = std::memchr(buf_.data() + begin_, c, end_ - begin_);
    cache = hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - buf_.data())
                           : end_;
  }
  return cache;
}

bool LineReader::Next(std::string_view& line) {
  for (;;) {
    std::size_t lf = Find('\n', nextLf_);
    std::size_t cr = Find('\r', nextCr_);
    std::size_t t = lf < cr ? lf : cr;
    if (t < end_) {
      std::size_t len = 1;
      if (t == cr) {
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

long long CountLines(const std::string& path) {
  LineReader reader(path);
  long long n = 0;
  std::string_view line;
  while (reader.Next(line)) ++n;
  return n;
}

ResultWriter::ResultWriter(std::FILE* file, std::size_t blockSize)
    : file_(file), blockSize_(blockSize) {
  buf_.reserve(blockSize + 4096);
}

void ResultWriter::Flush() {
  if (buf_.empty()) return;
  if (file_ == nullptr) throw FileError(kErrBadFileMode, "結果ファイルが開かれていません。");
  errno = 0;
  std::size_t put = std::fwrite(buf_.data(), 1, buf_.size(), file_);
  if (put != buf_.size() || std::fflush(file_) != 0) ThrowWriteError(errno != 0 ? errno : EIO);
  buf_.clear();
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
