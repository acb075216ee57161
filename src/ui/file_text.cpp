#include "ui/file_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "text/errors.h"

namespace varno::ui {

int ErrorNumberOf(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kErrFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrPermissionDenied;
    case ENOSPC:
      return kErrDiskFull;
    case EIO:
      return kErrDeviceIo;
    case ENOMEM:
      return kErrOutOfMemory;
    default:
      return kErrPathAccess;
  }
}

namespace {

void SetFailure(FileFailure& failure, int err) {
  failure.number = ErrorNumberOf(err);
  failure.description = std::strerror(err);
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, FileFailure& failure,
                                         std::size_t limit) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    SetFailure(failure, errno);
    return std::nullopt;
  }
  std::string bytes;
  char buf[1 << 16];
  while (bytes.size() < limit) {
    const std::size_t want = std::min(sizeof buf, limit - bytes.size());
    const std::size_t got = std::fread(buf, 1, want, f);
    bytes.append(buf, got);
    if (got < want) break;
  }
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) {
    SetFailure(failure, err == 0 ? EIO : err);
    return std::nullopt;
  }
  return bytes;
}

bool CanOpenForReading(const std::string& path, FileFailure& failure) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    SetFailure(failure, EISDIR);
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    SetFailure(failure, errno);
    return false;
  }
  std::fclose(f);
  return true;
}

QString ToEditorText(const QString& fileText) {
  QString s = fileText;
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

QString ToFileText(const QString& editorText) {
  QString s = editorText;
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return s;
}

}  // namespace varno::ui
