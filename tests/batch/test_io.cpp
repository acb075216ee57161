#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "batch/io.h"
#include "batch_test_util.h"
#include "text/errors.h"

namespace varno::batch {
namespace {

using testing::FreshDir;
using testing::WriteBytes;

std::vector<std::string> ReadAll(const std::string& path, std::size_t block) {
  LineReader r(path, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (!r.AtEnd()) {
    EXPECT_TRUE(r.Next(line));
    lines.emplace_back(line);
  }
  EXPECT_FALSE(r.Next(line));
  return lines;
}

TEST(LineReader, LineEndsAndLastLine) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"\r\n\r\n", {"", ""}},
      {"\n\r", {"", ""}},
      {"\r\r\n\n", {"", "", ""}},
      {"a\n\nb\n", {"a", "", "b"}},
      {std::string("x\0y\r\nz", 6), {std::string("x\0y", 3), "z"}},
      // 0x5C trail bytes and invalid CP932 are just bytes.
      {"\x95\x5c\r\n\xff\xfe\r\n", {"\x95\x5c", "\xff\xfe"}},
  };
  auto dir = FreshDir("reader");
  for (std::size_t block : {1u, 2u, 3u, 7u, 1u << 16}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "block " << block << " bytes '" << c.bytes << "'");
      auto path = (dir / "in.txt").string();
      WriteBytes(path, c.bytes);
      EXPECT_EQ(ReadAll(path, block), c.lines);
      EXPECT_EQ(CountLines(path, {}, 1000, block), static_cast<long long>(c.lines.size()));
    }
  }
}

TEST(LineReader, CrLfSplitAcrossBlocksAndLongLines) {
  auto dir = FreshDir("reader_blocks");
  auto path = (dir / "in.txt").string();
  // Random lines with every kind of end, some longer than the block.
  std::mt19937 rng(7);
  std::string bytes;
  std::vector<std::string> expect;
  const char* ends[] = {"\r\n", "\n", "\r"};
  for (int i = 0; i < 400; ++i) {
    std::string line(rng() % 40 == 0 ? 300 + rng() % 200 : rng() % 12, 'a');
    for (auto& ch : line) ch = static_cast<char>('a' + rng() % 26);
    expect.push_back(line);
  }
  for (std::size_t i = 0; i < expect.size(); ++i) {
    std::string end = ends[rng() % 3];
    // A lone CR before an empty line ended by LF would read as one CR LF.
    if (end == "\r" && i + 1 < expect.size() && expect[i + 1].empty()) end = "\r\n";
    bytes += expect[i] + end;
  }
  WriteBytes(path, bytes);
  for (std::size_t block : {1u, 5u, 64u, 257u, 4096u}) {
    SCOPED_TRACE(block);
    EXPECT_EQ(ReadAll(path, block), expect);
  }
  EXPECT_EQ(CountLines(path), 400);
}

TEST(LineReader, MissingFileOrFolderIsAFileError) {
  auto dir = FreshDir("missing_reader");
  const std::pair<std::string, int> cases[] = {{(dir / "in.txt").string(), kErrFileNotFound},
                                               {"/nonexistent/dir/in.txt", kErrPathNotFound}};
  for (const auto& [path, number] : cases) {
    try {
      LineReader r(path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const VarnoError& e) {
      EXPECT_FALSE(e.IsOverflow());
      EXPECT_EQ(e.number(), number) << path;
    }
  }
}

TEST(ResultWriter, FullDiskIsReportedNotSwallowed) {
  std::FILE* f = std::fopen("/dev/full", "wb");
  if (f == nullptr) GTEST_SKIP() << "/dev/full not available";
  {
    ResultWriter w(f, 16);
    w.buffer().append("0123456789abcdefghij");
    try {
      w.MaybeFlush();
      FAIL() << "write to a full disk succeeded";
    } catch (const VarnoError& e) {
      EXPECT_EQ(e.number(), kErrDiskFull);
      EXPECT_FALSE(e.IsOverflow());
    }
  }
  // Data still held by the stream fails at close.
  std::fputs("tail", f);
  EXPECT_THROW(CloseResultFile(f), VarnoError);
  EXPECT_EQ(f, nullptr);
}

TEST(ResultWriter, WritesInBlocksAndOnFlush) {
  auto dir = FreshDir("writer");
  auto path = (dir / "out.txt").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ResultWriter w(f, 8);
  w.buffer().append("abc");
  w.MaybeFlush();  // below the block size: kept
  EXPECT_EQ(testing::ReadBytes(path), "");
  w.buffer().append("defghij");
  w.MaybeFlush();
  EXPECT_EQ(testing::ReadBytes(path), "abcdefghij");
  w.buffer().append("k");
  w.Flush();
  CloseResultFile(f);
  EXPECT_EQ(testing::ReadBytes(path), "abcdefghijk");
}

// The writer counts the LFs it wrote, whatever bytes surround them: runs of
// LFs, bytes one bit away from an LF, and pieces of every length.
TEST(ResultWriter, CountsEveryLfItWrites) {
  auto dir = FreshDir("writer_count");
  auto path = (dir / "out.txt").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ResultWriter w(f, 64);
  std::mt19937 rng(3);
  const char bytes[] = {'\n',   '\n',   '\r',   '\x8a', '\x0b', '\x08',
                        '\x0e', '\x2a', '\xff', '\0',   'a'};
  long long lfs = 0;
  for (int piece = 0; piece < 500; ++piece) {
    const std::size_t n = rng() % 41;
    for (std::size_t i = 0; i < n; ++i) {
      const char c = bytes[rng() % sizeof bytes];
      lfs += c == '\n';
      w.buffer().push_back(c);
    }
    w.MaybeFlush();
    if (piece % 50 == 0) {
      w.Flush();
      EXPECT_EQ(w.lines(), lfs);
    }
  }
  w.Flush();
  EXPECT_EQ(w.lines(), lfs);
  // A long block of nothing but LFs: every count reaches its largest value.
  w.buffer().assign(10003, '\n');
  w.Flush();
  EXPECT_EQ(w.lines(), lfs + 10003);
  CloseResultFile(f);
}

}  // namespace
}  // namespace varno::batch
