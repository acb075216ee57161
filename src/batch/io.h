// Block-wise reading of input lines and buffered writing of the result file.
#pragma once

#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "text/errors.h"

namespace varno::batch {

// Reads a file in large blocks and hands out its lines without terminators.
// A line ends at CR LF, at a lone LF or at a lone CR; a last line without a
// terminator is a line too. Throws FileError when the file cannot be opened
// or read.
class LineReader {
 public:
  explicit LineReader(const std::string& path, std::size_t blockSize = 1 << 20);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line; the view stays valid until the next call. False at the end.
  bool Next(std::string_view& line);
  // True when no line is left.
  bool AtEnd();
  void Close();

 private:
  void Fill();
  std::size_t NextBreak() const;

  std::FILE* file_ = nullptr;
  std::vector<char> buf_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
};

// Counts the lines of a file the way LineReader splits them. `cancelled` is
// asked after every block read (about every 1 MB): when it answers true the
// count stops and -1 is returned. Counting also stops once more than `limit`
// lines are found (the count returned is then limit + 1).
long long CountLines(const std::string& path, const std::function<bool()>& cancelled = {},
                     long long limit = std::numeric_limits<long long>::max(),
                     std::size_t blockSize = 1 << 20);

// A write to the result file failed. The file has been cut back to its last
// complete line; it holds `linesInFile` lines (header lines included).
class WriteError : public FileError {
 public:
  WriteError(int err, long long linesInFile);
  int err() const { return err_; }
  long long linesInFile() const { return lines_; }

 private:
  int err_;
  long long lines_;
};

// Collects result lines in a large buffer and writes them to the open result
// file in blocks. Every write error (a full disk included) throws WriteError
// after cutting the file back to the last complete line it holds; the buffer
// holds whole lines whenever it is written.
class ResultWriter {
 public:
  explicit ResultWriter(std::FILE* file, std::size_t blockSize = 1 << 20);
  // Lines (CR LF or LF ended) written to the file so far, unless not counted.
  long long lines() const { return lines_; }
  // Leaves the lines uncounted (a file whose failure message names no line),
  // sparing a pass over every byte written.
  void DoNotCountLines() { countLines_ = false; }
  // The buffer lines are appended to.
  std::string& buffer() { return buf_; }
  // Writes the buffer out once it has grown past the block size.
  void MaybeFlush() {
    if (buf_.size() >= blockSize_) Flush();
  }
  void Flush();

 private:
  std::FILE* file_;
  std::size_t blockSize_;
  std::string buf_;
  long long offset_ = 0;  // bytes in the file, all of them whole lines
  long long lines_ = 0;
  bool countLines_ = true;
  bool failed_ = false;
};

// Closes the result file after writing what is buffered; reports a failure of
// the final write or of the close as FileError. `file` is null afterwards.
void CloseResultFile(std::FILE*& file);

// The FileError for a failed write, from errno.
[[noreturn]] void ThrowWriteError(int err);

}  // namespace varno::batch
