#include "ui/file_text.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "text/files.h"

namespace varno::ui {

namespace {

void SetFailure(FileFailure& failure, const FileProblem& problem) {
  failure.number = problem.number;
  failure.description = problem.description;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, FileFailure& failure,
                                         std::size_t limit) {
  // Only a regular file: a FIFO would block the window, a device never end.
  FileProblem problem;
  long long size = 0;
  const int fd = OpenRegularForReading(path, problem, size);
  if (fd < 0) {
    SetFailure(failure, problem);
    return std::nullopt;
  }
  std::string bytes;
  char buf[1 << 16];
  int err = 0;
  while (bytes.size() < limit) {
    const std::size_t want = std::min(sizeof buf, limit - bytes.size());
    const ssize_t got = ::read(fd, buf, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      err = errno;
      break;
    }
    if (got == 0) break;
    bytes.append(buf, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (err != 0) {
    SetFailure(failure, DescribeFileError(err, path));
    return std::nullopt;
  }
  return bytes;
}

bool CanOpenForReading(const std::string& path, FileFailure& failure) {
  FileProblem problem;
  if (CanReadRegularFile(path, problem)) return true;
  SetFailure(failure, problem);
  return false;
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
