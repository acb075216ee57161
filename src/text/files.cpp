#include "text/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/errors.h"
#include "text/paths.h"

namespace varno {

namespace {

std::string KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "FIFO（名前付きパイプ）";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "デバイス";
  if (S_ISDIR(mode)) return "フォルダ";
  if (S_ISSOCK(mode)) return "ソケット";
  if (S_ISREG(mode)) return {};
  return "通常のファイル以外のもの";
}

FileProblem NotRegular(const std::string& kind) {
  return {kErrPathAccess, "通常のファイルではありません（" + kind + "）。"};
}

// A missing file in an existing folder, or a missing folder on the way?
bool FolderExists(const std::string& path) {
  std::string folder = FolderOf(path);
  if (folder.empty()) return true;
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileProblem DescribeFileError(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
      if (!path.empty() && !FolderExists(path))
        return {kErrPathNotFound, "フォルダが見つかりません。"};
      return {kErrFileNotFound, "ファイルが見つかりません。"};
    case EACCES:
    case EPERM:
      return {kErrPermissionDenied, "アクセスが拒否されました。"};
    case EROFS:
      return {kErrPermissionDenied, "読み取り専用のファイルシステムです。"};
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return {kErrDiskFull, "ディスクの空き容量が不足しています。"};
    case EISDIR:
      return {kErrPathAccess, "フォルダです。"};
    case ENOTDIR:
      return {kErrPathNotFound, "パスの途中にフォルダでないものがあります。"};
    case ETXTBSY:
    case EBUSY:
      return {kErrFileAlreadyOpen, "ファイルは使用中です。"};
    case ENAMETOOLONG:
      return {kErrBadFileName, "ファイル名が長すぎます。"};
    case EIO:
      return {kErrDeviceIo, "入出力エラーが発生しました。"};
    case EMFILE:
    case ENFILE:
      return {kErrTooManyFiles, "開いているファイルが多すぎます。"};
    case ENOMEM:
      return {kErrOutOfMemory, "メモリが不足しています。"};
    default:
      return {kErrPathAccess,
              "ファイルにアクセスできません（システムエラー " + std::to_string(err) + "）。"};
  }
}

std::string SpecialFileKind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return KindOf(st.st_mode);
}

int OpenRegularForReading(const std::string& path, FileProblem& problem, long long& size) {
  // O_NONBLOCK: opening a FIFO does not wait for a writer; the descriptor is
  // refused below before anything is read from it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    problem = DescribeFileError(errno, path);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = errno;
    problem = S_ISREG(st.st_mode) || st.st_mode == 0 ? DescribeFileError(err, path)
                                                     : NotRegular(KindOf(st.st_mode));
    ::close(fd);
    return -1;
  }
  // Regular files never block; clear the flag for the reads that follow.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  size = static_cast<long long>(st.st_size);
  return fd;
}

bool CanReadRegularFile(const std::string& path, FileProblem& problem) {
  long long size = 0;
  const int fd = OpenRegularForReading(path, problem, size);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::FILE* OpenResultForWriting(const std::string& path, FileProblem& problem) {
  // A special file is refused before open: opening a FIFO for writing would
  // wait for a reader, and a device would be written to.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    problem = NotRegular(KindOf(st.st_mode));
    return nullptr;
  }
  // Not O_TRUNC: a special file put in its place meanwhile must not be
  // touched; only a regular file is emptied, after fstat has seen it.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    problem = errno == ENXIO ? NotRegular(KindOf(S_IFIFO)) : DescribeFileError(errno, path);
    return nullptr;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    problem = NotRegular(KindOf(st.st_mode));
    ::close(fd);
    return nullptr;
  }
  // An empty file (a new one, mostly) is left as it is: on ext4, truncating
  // makes the close write the whole new file out at once, some 45 ms a 50 MB.
  const int flags = ::fcntl(fd, F_GETFL);
  if ((st.st_size != 0 && ::ftruncate(fd, 0) != 0) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    problem = DescribeFileError(errno, path);
    ::close(fd);
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) {
    problem = DescribeFileError(errno, path);
    ::close(fd);
  }
  return f;
}

}  // namespace varno
