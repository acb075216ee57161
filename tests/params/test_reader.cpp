// Reading the parameter file: field rules, record counting, progress and
// cancel, the loading window's texts, and malformed input.
#ifndef __has_feature
#define __has_feature(x) 0
#endif
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec/cp932.h"
#include "params/interpolate.h"
#include "params/reader.h"
#include "params_test_util.h"
#include "text/errors.h"

namespace varno::params {
namespace {

using testing::Header;
using testing::ReadBytes;
using testing::RecordingLoadView;
using testing::WriteTemp;

// A node line "x,y,dx,dy,dh" with CR LF.
std::string Node(double x, double y, double dx, double dy, double dh) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%.3f,%.3f,%.5f,%.5f,%.5f\r\n", x, y, dx, dy, dh);
  return buf;
}

void ExpectRecord(const ParamStore& s, int k, ParaRecord want) {
  ASSERT_LT(static_cast<size_t>(k), s.records.size());
  const ParaRecord& r = s.records[static_cast<size_t>(k)];
  EXPECT_EQ(r.x, want.x) << "record " << k;
  EXPECT_EQ(r.y, want.y) << "record " << k;
  EXPECT_EQ(r.dx, want.dx) << "record " << k;
  EXPECT_EQ(r.dy, want.dy) << "record " << k;
  EXPECT_EQ(r.dh, want.dh) << "record " << k;
}

// A file of `n` nodes whose corrections vary per line.
std::string NodesFile(int n) {
  std::string f = Header();
  for (int k = 0; k < n; ++k) {
    f += Node(k % 500 * 10.0, k / 500 * 10.0, 0.001 * (k % 97), -0.002 * (k % 89), 0.25);
  }
  return f;
}

TEST(ReadParaFile, TwentyFiveThousandNodes) {
  const std::string file = NodesFile(25000);
  RecordingLoadView view;
  ParamStore s = ReadBytes("n25000.par", file, &view);
  ASSERT_EQ(s.count, 25000);
  ASSERT_EQ(s.records.size(), 25001u);
  ExpectRecord(s, 0, {});
  // RepPoint: the means of columns 3 to 5, zero corrections included.
  double sx = 0, sy = 0, sh = 0;
  for (int k = 1; k <= 25000; ++k) {
    sx += s.records[k].dx;
    sy += s.records[k].dy;
    sh += s.records[k].dh;
  }
  EXPECT_EQ(s.repDx, sx / 25000);
  EXPECT_EQ(s.repDy, sy / 25000);
  EXPECT_EQ(s.repDh, sh / 25000);
  EXPECT_DOUBLE_EQ(s.repDh, 0.25);

  // Progress at 2000, 4000, ..., 24000 and the final full bar; one yield each.
  ASSERT_EQ(view.progress.size(), 13u);
  EXPECT_EQ(view.yields, 12);
  for (int i = 1; i < 12; ++i) EXPECT_GT(view.progress[i], view.progress[i - 1]);
  ASSERT_EQ(view.progressMax.size(), 1u);
  EXPECT_EQ(view.progressMax[0], static_cast<double>(file.size()) / 128);
  EXPECT_EQ(view.progress.back(), static_cast<long>(std::floor(file.size() / 128.0)));
  ASSERT_EQ(view.sizeTexts.size(), 1u);
  ASSERT_FALSE(view.statusTexts.empty());
  EXPECT_EQ(view.statusTexts.back().substr(0, view.statusTexts.back().find("\r\n")),
            "25000行の変換ﾊﾟﾗﾒｰﾀを読み込みました。");
  EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
  EXPECT_TRUE(view.colors.empty());
}

TEST(ReadParaFile, ProgressCountsBytesReadIn128ByteUnits) {
  // Every node line is 48 bytes, so after record k the reader stands at
  // header + 48k bytes.
  std::string file = Header();
  const std::string line = "1000.000,2000.000,0.10000,0.20000,-0.30000\r\n";
  for (int k = 0; k < 4000; ++k) file += line;
  RecordingLoadView view;
  ReadBytes("progress.par", file, &view);
  ASSERT_EQ(view.progress.size(), 3u);
  EXPECT_EQ(view.progress[0], static_cast<long>((Header().size() + 2000 * line.size()) / 128));
  EXPECT_EQ(view.progress[1], static_cast<long>((Header().size() + 4000 * line.size()) / 128));
}

struct CancelCase {
  int setAtYield;  // 0: already set before the reading
  int expectCount;
};

class ReadParaFileCancel : public ::testing::TestWithParam<CancelCase> {};

TEST_P(ReadParaFileCancel, StopsAtTheNextMultipleOf2000) {
  const CancelCase c = GetParam();
  ParamStore s;
  s.paraFilePath = WriteTemp("cancel.par", NodesFile(25000));
  s.repDx = 7, s.repDy = 8, s.repDh = 9;
  bool cancel = c.setAtYield == 0;
  RecordingLoadView view;
  view.onYield = [&](int n) {
    if (n == c.setAtYield) cancel = true;
  };
  ReadParaFile(s, cancel, view);
  EXPECT_EQ(s.count, c.expectCount);
  EXPECT_EQ(s.records.size(), static_cast<size_t>(c.expectCount) + 1);
  EXPECT_FALSE(cancel) << "the reading acknowledges the cancel by clearing the flag";
  EXPECT_EQ(s.repDx, 7);
  EXPECT_EQ(s.repDy, 8);
  EXPECT_EQ(s.repDh, 9);
  // No summary: the last text is still the reading message.
  EXPECT_EQ(view.statusTexts.back(), ReadingMessage(s.paraFilePath));
  EXPECT_EQ(view.busy.back(), false);
  // The partial grid is usable: its index answers like the scan.
  ASSERT_NE(s.index, nullptr);
  NodeValues a, b;
  LookupNode(s, 10.0, 0.0, a);
  LookupNodeScan(s, 10.0, 0.0, b);
  EXPECT_EQ(a.dx, b.dx);
}

INSTANTIATE_TEST_SUITE_P(Yields, ReadParaFileCancel,
                         ::testing::Values(CancelCase{0, 2000}, CancelCase{1, 4000},
                                           CancelCase{5, 12000}, CancelCase{11, 24000}));

TEST(ReadParaFile, CancelAfterTheLastYieldDoesNotOutliveACompleteReading) {
  // 4001 records: yields at 2000 and 4000; a cancel at the second yield is
  // never tested again, so the reading completes and must clear the flag
  // (else the start-up would end the program with a complete grid).
  ParamStore s;
  s.paraFilePath = WriteTemp("cancel-last.par", NodesFile(4001));
  bool cancel = false;
  RecordingLoadView view;
  view.onYield = [&](int n) {
    if (n == 2) cancel = true;
  };
  ReadParaFile(s, cancel, view);
  EXPECT_EQ(s.count, 4001);
  EXPECT_FALSE(cancel);
  EXPECT_NE(view.statusTexts.back().find("4001行"), std::string::npos);
}

TEST(ReadParaFile, HeaderFieldsAndDecodedTexts) {
  const std::string range = "福島県全域,会津地方を含む";
  const std::string file = Utf8ToCp932("\"" + range +
                                       "\",  パラメータ作成法ABC  ,ver1.2 , 9\r\n"
                                       "150000.5 230000 1000\r\n"
                                       "-1000,70000,\"500\"\r\n"
                                       "ヘッダー,何でも,\"よい\"\r\n") +
                           "1,2,3,4,5\r\n";
  ParamStore s = ReadBytes("header.par", file);
  EXPECT_EQ(s.RangeTextUtf8(), range) << "a quoted text may hold commas";
  EXPECT_EQ(s.rangeText, Utf8ToCp932(range)) << "kept as the file's CP932 bytes";
  EXPECT_EQ(s.MethodTextUtf8(), "パラメータ作成法ABC") << "blanks around an unquoted text dropped";
  EXPECT_EQ(s.VersionUtf8(), "ver1.2");
  EXPECT_EQ(s.zoneNo, 9);
  EXPECT_EQ(s.gridMinX, 150000.5) << "numbers may be separated by blanks";
  EXPECT_EQ(s.gridMaxX, 230000);
  EXPECT_EQ(s.gridStepX, 1000);
  EXPECT_EQ(s.gridMinY, -1000);
  EXPECT_EQ(s.gridMaxY, 70000);
  EXPECT_EQ(s.gridStepY, 500) << "a quoted number is read as its number";
  ASSERT_EQ(s.count, 1);
  ExpectRecord(s, 1, {1, 2, 3, 4, 5});
}

TEST(ReadParaFile, FieldRules) {
  struct Case {
    const char* name;
    std::string body;  // after the header
    std::vector<ParaRecord> want;
  };
  const Case cases[] = {
      {"lone LF line ends", "1,2,3,4,5\n6,7,8,9,10\n", {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}},
      {"blanks and tabs",
       "  1  2\t3 ,4 ,  5  \r\n6,7,8,9,10\r\n",
       {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}},
      {"no line end at the end", "1,2,3,4,5\r\n6,7,8,9,10", {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}},
      {"signs and points", "+1.5,-2.,.25,-.5,007\r\n", {{1.5, -2, 0.25, -0.5, 7}}},
      {"six fields shift the records after",
       "1,2,3,4,5,6\r\n7,8,9,10\r\n",
       {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}},
      {"fields taken across line ends", "1,2,3\r\n4,5\r\n", {{1, 2, 3, 4, 5}}},
      {"short last line", "1,2,3,4,5\r\n6,7\r\n", {{1, 2, 3, 4, 5}, {6, 7, 0, 0, 0}}},
      {"file ends in the middle of a record",
       "1,2,3,4,5\r\n6,7,8",
       {{1, 2, 3, 4, 5}, {6, 7, 8, 0, 0}}},
      {"empty line after the last node", "1,2,3,4,5\r\n\r\n", {{1, 2, 3, 4, 5}, {0, 0, 0, 0, 0}}},
      {"zero corrections are records", "1,2,0,0,0\r\n", {{1, 2, 0, 0, 0}}},
      // A failed field ends the record; what follows it starts the next one.
      {"1e999",
       "1,2,3,4,5\r\n6,7,1e999,9,10\r\n11,12,13,14,15\r\n",
       {{1, 2, 3, 4, 5}, {6, 7, 0, 0, 0}, {9, 10, 11, 12, 13}, {14, 15, 0, 0, 0}}},
      {"nan", "nan,2,3,4,5\r\n", {{0, 0, 0, 0, 0}, {2, 3, 4, 5, 0}}},
      {"--5", "1,--5,3,4,5\r\n", {{1, 0, 0, 0, 0}, {3, 4, 5, 0, 0}}},
      {"too large for a Double",
       "1," + std::string(400, '9') + ",3,4,5\r\n",
       {{1, 0, 0, 0, 0}, {3, 4, 5, 0, 0}}},
      {"tiny value is zero", "0." + std::string(400, '0') + "1,2,3,4,5\r\n", {{0, 2, 3, 4, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ParamStore s = ReadBytes("fields.par", Header() + c.body);
    ASSERT_EQ(s.count, static_cast<int32_t>(c.want.size()));
    for (size_t k = 0; k < c.want.size(); ++k) ExpectRecord(s, static_cast<int>(k) + 1, c.want[k]);
  }
}

TEST(ReadParaFile, RepPointIncludesZeroRecordsAndTheEmptyLastLine) {
  ParamStore s = ReadBytes("rep.par", Header() + "0,0,1,2,3\r\n0,0,0,0,0\r\n0,0,2,4,6\r\n\r\n");
  ASSERT_EQ(s.count, 4);
  EXPECT_EQ(s.repDx, 3.0 / 4);
  EXPECT_EQ(s.repDy, 6.0 / 4);
  EXPECT_EQ(s.repDh, 9.0 / 4);
}

TEST(ReadParaFile, BadInputNeverCrashes) {
  struct Case {
    const char* name;
    std::string bytes;
    int32_t count;
  };
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
  const Case cases[] = {
      {"empty file", "", 0},
      {"header only", Header(), 0},
      {"header without line 4", "\"a\",\"b\",\"c\",9\r\n0,1,1\r\n0,1,1\r\n", 0},
      {"binary garbage", garbage, -1},
      {"extremely long line of digits", Header() + std::string(5'000'000, '7') + "\r\n", 1},
      {"extremely long line of fields",
       Header() +
           [] {
             std::string l;
             for (int i = 0; i < 200000; ++i) l += "1,";
             return l + "\r\n";
           }(),
       40001},
      {"unclosed quote", "\"range,method,1.0,9\r\n0,1,1\r\n0,1,1\r\nh\r\n1,2,3,4,5\r\n", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingLoadView view;
    ParamStore s = ReadBytes("bad.par", c.bytes, &view);
    if (c.count >= 0) {
      EXPECT_EQ(s.count, c.count);
    }
    EXPECT_EQ(s.records.size(), static_cast<size_t>(s.count) + 1);
    EXPECT_TRUE(std::isfinite(s.repDx) && std::isfinite(s.repDy) && std::isfinite(s.repDh));
    if (s.count == 0) {
      EXPECT_EQ(s.repDx, 0);
      EXPECT_EQ(s.repDy, 0);
      EXPECT_EQ(s.repDh, 0);
    }
    EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
    // The summary was shown.
    EXPECT_NE(view.statusTexts.back().find("行の変換ﾊﾟﾗﾒｰﾀを読み込みました。"), std::string::npos);
    // Interpolation on whatever was read never crashes or hangs.
    for (double x : {-1.0, 0.0, 0.5, 1.0, 1500.0}) {
      try {
        Corrections r = InterpolatePara(s, x, x);
        EXPECT_TRUE(std::isfinite(r.dx));
      } catch (const VarnoError&) {
      }
    }
  }
}

#if !defined(__SANITIZE_ADDRESS__) && !__has_feature(address_sanitizer)
// Reads `path` with the address space limited to what the process uses plus
// 300 MB, and exits 0 when the 257 records and the summary are there.
[[noreturn]] void ReadUnderMemoryLimit(const std::string& path) {
  long pages = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f || std::fscanf(f, "%ld", &pages) != 1) std::_Exit(90);
  std::fclose(f);
  const rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (300u << 20);
  const rlimit rl{limit, limit};
  if (::setrlimit(RLIMIT_AS, &rl) != 0) std::_Exit(91);
  ParamStore s;
  s.paraFilePath = path;
  bool cancel = false;
  RecordingLoadView view;
  ReadParaFile(s, cancel, view);
  const bool summary = view.statusTexts.back().find("257行の変換ﾊﾟﾗﾒｰﾀを読み込みました。") == 0;
  std::_Exit(s.count == 257 && s.records[257].dh == 5 && summary ? 0 : 1);
}

TEST(ReadParaFileDeathTest, ARecordEstimateBeyondMemoryIsNoLimit) {
  // 256 empty lines make the records look 2 bytes long, so the 30 MB line of
  // blanks after them suggests millions of records; reserving room for them
  // fails under a tight memory limit, and the reading must simply go on.
  std::string file = Header();
  for (int i = 0; i < 256; ++i) file += "\r\n";
  file += std::string(30'000'000, ' ') + "1,2,3,4,5\r\n";
  const std::string path = WriteTemp("estimate.par", file);
  EXPECT_EXIT(ReadUnderMemoryLimit(path), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(ReadParaFile, HeaderOnlyGivesAnEmptyGridWithoutValueColumns) {
  RecordingLoadView view;
  ParamStore s = ReadBytes("headeronly.par", Header(), &view);
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(view.statusTexts.back(),
            "0行の変換ﾊﾟﾗﾒｰﾀを読み込みました。\r\n情報行：test   method\r\n"
            "         1.0   9\r\n第１行：\r\n最終行：");
  EXPECT_EQ(InterpolatePara(s, 500, 500).dx, kNoParameters);
}

TEST(ReadParaFile, ZoneOutsideTheListIsKept) {
  struct Case {
    const char* zone;
    int16_t stored;
    int listIndex;
  };
  const Case cases[] = {{"9", 9, 8},    {"1", 1, 0},    {"19", 19, 18},   {"0", 0, -1},
                        {"20", 20, -1}, {"-1", -1, -1}, {"99999", 0, -1}, {"x", 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    std::string file = "\"r\",\"m\",\"1.0\"," + std::string(c.zone) +
                       "\r\n0,2000,1000\r\n0,2000,1000\r\nh\r\n0,0,1,1,1\r\n";
    ParamStore s = ReadBytes("zone.par", file);
    EXPECT_EQ(s.zoneNo, c.stored);
    EXPECT_EQ(ZoneListIndex(s.zoneNo), c.listIndex);
    EXPECT_EQ(s.count, 1) << "the file is read in full whatever its zone";
    EXPECT_EQ(s.gridStepX, 1000);
  }
}

TEST(ReadParaFile, SpacingZeroOrNegativeIsRead) {
  for (const char* step : {"0", "-1000"}) {
    SCOPED_TRACE(step);
    ParamStore s = ReadBytes("step.par", Header(std::string("0,4000,") + step) + "0,0,1,1,1\r\n");
    EXPECT_EQ(s.gridStepX, std::stod(step));
    EXPECT_EQ(s.count, 1);
  }
}

TEST(ReadParaFile, MissingFileOrFolderLeavesTheStore) {
  for (std::string path :
       {(testing::TempDir() / "no-such.par").string(), testing::TempDir().string()}) {
    SCOPED_TRACE(path);
    ParamStore s;
    s.paraFilePath = path;
    s.version = "1.0";
    s.count = 1;
    s.records.resize(2);
    s.records[1].dx = 5;
    bool cancel = false;
    RecordingLoadView view;
    ReadParaFile(s, cancel, view);
    EXPECT_EQ(view.statusTexts,
              (std::vector<std::string>{ReadingMessage(path), OpenFailureMessage(path)}));
    EXPECT_EQ(view.colors, (std::vector<Rgb>{colors::kLightRed}));
    EXPECT_EQ(view.breakShown, (std::vector<bool>{false}));
    EXPECT_TRUE(view.busy.empty());
    EXPECT_EQ(s.version, "") << "no file read";
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.records[1].dx, 5);
  }
}

// Only the reader's own room for a whole file is left uncleared: records made
// elsewhere without a value are zero, also in memory that held others.
TEST(RecordList, RecordsMadeWithoutAValueAreZeroOutsideTheReader) {
  RecordList r(1, ParaRecord{});
  r.resize(4, ParaRecord{7, 7, 7, 7, 7});
  r.resize(1);
  r.resize(4);  // within the capacity: the memory of the sevens
  r.pop_back();
  r.emplace_back();
  for (const ParaRecord& p : r) {
    EXPECT_TRUE(p.x == 0 && p.y == 0 && p.dx == 0 && p.dy == 0 && p.dh == 0);
  }
}

TEST(LoadingTexts, Messages) {
  EXPECT_EQ(ReadingMessage("/opt/varno/Veltra.par"),
            "ただ今，1行1ｸﾞﾘｯﾄﾞ型の座標変換ﾊﾟﾗﾒｰﾀを\r\"Veltra.par\"から読み込んでいます。\r"
            "しばらくお待ち下さい...");
  EXPECT_EQ(OpenFailureMessage("C:\\data\\Veltra.par"),
            "任意地域をｶﾊﾞｰする変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙVeltra.parを開けませんでした。\r"
            "任意地域をｶﾊﾞｰするﾊﾟﾗﾒｰﾀﾌｧｲﾙを選択して下さい。");
}

TEST(LoadingTexts, FileSize) {
  EXPECT_EQ(FileSizeText(1234567), "1,234,567 Bytes");
  EXPECT_EQ(FileSizeText(0), " Bytes");
  EXPECT_EQ(FileSizeText(999), "999 Bytes");
  EXPECT_EQ(FileSizeText(52345678), "52,345,678 Bytes");
}

TEST(LoadingTexts, SummaryColumns) {
  ParamStore s;
  s.rangeText = Utf8ToCp932("Veltra区");
  s.methodText = "M";
  s.version = "1.0";
  s.zoneNo = 9;
  s.count = 2;
  s.records.resize(3);
  s.records[1] = {0, 0, 0.01234, -1.5, 0};
  s.records[2] = {0, 0, 123456789.25, -0.000004, 3.141592};
  EXPECT_EQ(SummaryText(s),
            "2行の変換ﾊﾟﾗﾒｰﾀを読み込みました。\r\n"
            "情報行：Veltra区   M\r\n"
            "         1.0   9\r\n"
            "第１行：   0.01234  -1.50000   0.00000\r\n"
            "最終行： 123456789  -0.00000   3.14159");  // negative: keeps its sign
}

}  // namespace
}  // namespace varno::params
