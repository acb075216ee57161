// Opening the files a user names (input, result, parameter file) safely:
// only regular files, never a blocking open, and the error numbers and
// Japanese descriptions every window and varno-batch show for failures.
#pragma once

#include <cstdio>
#include <string>

namespace varno {

// An error number of the classic runtime with its Japanese description.
struct FileProblem {
  int number = 0;
  std::string description;  // UTF-8, ends with "。"
};

// The one mapping of a system error (errno) to the number and description
// shown to users. `path` tells a missing file (53) from a missing folder (76).
FileProblem DescribeFileError(int err, const std::string& path = {});

// What a path names when it is not a regular file: "FIFO（名前付きパイプ）",
// "デバイス", "フォルダ", "ソケット"; empty for a regular or missing file.
std::string SpecialFileKind(const std::string& path);

// Opens a regular file for reading without ever blocking (a FIFO or a device
// is refused, not opened for real). Returns the descriptor, or -1 with
// `problem` set; `size` receives the file's length.
int OpenRegularForReading(const std::string& path, FileProblem& problem, long long& size);

// Tests that `path` is a regular file that can be opened for reading.
bool CanReadRegularFile(const std::string& path, FileProblem& problem);

// Opens the result file for writing: created when missing, emptied when it is
// a regular file. Anything else (FIFO, device, folder) is refused before it is
// emptied or waited on. Returns null with `problem` set on failure.
std::FILE* OpenResultForWriting(const std::string& path, FileProblem& problem);

}  // namespace varno
