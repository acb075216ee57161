// Files named by the user: only regular files are opened, never with a
// blocking open, and failures map to one table of numbers and descriptions.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/errors.h"
#include "text/files.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

fs::path Fresh(const std::string& name) {
  fs::path d = fs::path(::testing::TempDir()) / ("varno_files_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

// A FIFO, a device and a folder are refused at once (a FIFO without a writer
// would block a plain open for ever), naming what they are.
TEST(Files, OnlyRegularFilesAreRead) {
  const fs::path d = Fresh("read");
  const std::string fifo = (d / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::string> special[] = {
      {fifo, "FIFO"}, {"/dev/zero", "デバイス"}, {d.string(), "フォルダ"}};
  for (const auto& [path, kind] : special) {
    FileProblem problem;
    long long size = -1;
    EXPECT_EQ(OpenRegularForReading(path, problem, size), -1) << path;
    EXPECT_NE(problem.description.find(kind), std::string::npos) << problem.description;
    EXPECT_EQ(problem.number, kErrPathAccess);
    EXPECT_NE(SpecialFileKind(path).find(kind), std::string::npos);
  }
  std::ofstream(d / "a.txt") << "12345";
  FileProblem problem;
  long long size = -1;
  const int fd = OpenRegularForReading((d / "a.txt").string(), problem, size);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(size, 5);
  ::close(fd);
  EXPECT_TRUE(SpecialFileKind((d / "a.txt").string()).empty());
}

TEST(Files, ResultFileIsRefusedUnlessRegularAndOnlyThenEmptied) {
  const fs::path d = Fresh("write");
  const std::string fifo = (d / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/null"), d.string()}) {
    FileProblem problem;
    EXPECT_EQ(OpenResultForWriting(path, problem), nullptr) << path;
    EXPECT_NE(problem.description.find("通常のファイルではありません"), std::string::npos);
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  std::ofstream(d / "old.out") << "old text";
  FileProblem problem;
  std::FILE* f = OpenResultForWriting((d / "old.out").string(), problem);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fs::file_size(d / "old.out"), 0u);
  std::fclose(f);
  f = OpenResultForWriting((d / "no" / "x.out").string(), problem);
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(problem.number, kErrPathNotFound);
}

// One table: the errors users meet get their own number and a Japanese text.
TEST(Files, ErrorTable) {
  const fs::path d = Fresh("table");
  const struct {
    int err;
    int number;
    const char* text;
  } cases[] = {
      {ENOENT, kErrFileNotFound, "ファイルが見つかりません"},
      {EACCES, kErrPermissionDenied, "アクセスが拒否されました"},
      {EPERM, kErrPermissionDenied, "アクセスが拒否されました"},
      {EROFS, kErrPermissionDenied, "読み取り専用"},
      {ENOSPC, kErrDiskFull, "空き容量"},
      {EDQUOT, kErrDiskFull, "空き容量"},
      {EFBIG, kErrDiskFull, "空き容量"},
      {EISDIR, kErrPathAccess, "フォルダです"},
      {ENOTDIR, kErrPathNotFound, "フォルダでない"},
      {ETXTBSY, kErrFileAlreadyOpen, "使用中"},
      {EBUSY, kErrFileAlreadyOpen, "使用中"},
      {ENAMETOOLONG, kErrBadFileName, "長すぎます"},
      {EIO, kErrDeviceIo, "入出力エラー"},
      {EMFILE, kErrTooManyFiles, "多すぎます"},
      {ENFILE, kErrTooManyFiles, "多すぎます"},
      {EXDEV, kErrPathAccess, "システムエラー"},
  };
  for (const auto& c : cases) {
    const FileProblem p = DescribeFileError(c.err, (d / "x.out").string());
    EXPECT_EQ(p.number, c.number) << c.err;
    EXPECT_NE(p.description.find(c.text), std::string::npos) << c.err << " " << p.description;
  }
  // A missing folder on the way is told from a missing file.
  EXPECT_EQ(DescribeFileError(ENOENT, (d / "no" / "x.out").string()).number, kErrPathNotFound);
}

}  // namespace
}  // namespace varno
