// The fast path for regular node lines against the general field reader: the
// same store, the same progress and yields, the same cancel points, on regular
// files and on files with irregular lines anywhere, split into many chunks.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "params/reader.h"
#include "params_test_util.h"

namespace varno::params {
namespace {

using testing::Header;
using testing::RecordingLoadView;
using testing::WriteTemp;

// Lines the field reader takes otherwise than as one record per line, or that
// the fast path hands over to it: blanks, tabs, quotes, too few or too many
// fields, empty lines, a lone CR, exponents, signs doubled, digits beyond a
// Double, a decimal beyond 15 digits (read by the exact conversion).
const char* const kIrregular[] = {
    "1 2 3 4 5\r\n",
    "1,2,3,4,5 \r\n",
    " 1,2,3,4,5\r\n",
    "1,2,3,4,5\t\r\n",
    "\"1\",2,3,4,5\r\n",
    "1,2,3,4\r\n",
    "1,2,3,4,5,6\r\n",
    "1,2,3,4,5,\r\n",
    "\r\n",
    "\n",
    "1,2,3,4,5\r",
    "1,2,3,4,5\r\r\n",
    "1e5,2,3,4,5\r\n",
    "1,--5,3,4,5\r\n",
    "1,.,3,4,5\r\n",
    "abc\r\n",
    "1,,3,4,5\r\n",
    "1,2,3,4,99999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999e\r\n",
    "1,2,3,4,5\xef\xbc\x8c\r\n",
};

// Regular lines in the forms the fast path takes itself or passes to the
// exact conversion: signs, leading and trailing points, 15 and more digits,
// many decimals, LF alone.
std::string RegularLine(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> form(0, 9);
  std::uniform_real_distribution<double> coord(-300000, 300000), corr(-5, 5);
  char buf[256];
  switch (form(rng)) {
    case 0:
      return "+1.,-.5,007,-0,0.0000000000000000000000001\r\n";
    case 1:
      std::snprintf(buf, sizeof buf, "%.10f,%.12f,%.17f,%.20f,%.3f\r\n", coord(rng), coord(rng),
                    corr(rng), corr(rng), corr(rng));
      return buf;
    case 2:
      std::snprintf(buf, sizeof buf, "%.3f,%.3f,%.5f,%.5f,%.5f\n", coord(rng), coord(rng),
                    corr(rng), corr(rng), corr(rng));
      return buf;
    case 3:
      return "123456789012345,1234567890123456,12345678901234567890,1.0,5\r\n";
    default:
      std::snprintf(buf, sizeof buf, "%.3f,%.3f,%.5f,%.5f,%.5f\r\n", coord(rng), coord(rng),
                    corr(rng), corr(rng), corr(rng));
      return buf;
  }
}

struct Read {
  ParamStore store;
  RecordingLoadView view;
  bool cancelAfter = false;
};

void ReadWith(const std::string& path, const ReadOptions& options, int cancelAtYield, Read& r) {
  r.store.paraFilePath = path;
  r.store.repDx = 7;  // kept by a cancelled reading
  bool cancel = cancelAtYield == 0;
  r.view.onYield = [&](int n) {
    if (n == cancelAtYield) cancel = true;
  };
  ReadParaFile(r.store, cancel, r.view, options);
  r.cancelAfter = cancel;
}

uint64_t Bits(double v) {
  return std::bit_cast<uint64_t>(v);
}

void ExpectSame(const Read& general, const Read& fast) {
  const ParamStore &a = general.store, &b = fast.store;
  ASSERT_EQ(a.count, b.count);
  ASSERT_EQ(a.records.size(), b.records.size());
  for (std::size_t k = 0; k < a.records.size(); ++k) {
    const ParaRecord &p = a.records[k], &q = b.records[k];
    ASSERT_TRUE(Bits(p.x) == Bits(q.x) && Bits(p.y) == Bits(q.y) && Bits(p.dx) == Bits(q.dx) &&
                Bits(p.dy) == Bits(q.dy) && Bits(p.dh) == Bits(q.dh))
        << "record " << k;
  }
  EXPECT_EQ(Bits(a.repDx), Bits(b.repDx));
  EXPECT_EQ(Bits(a.repDy), Bits(b.repDy));
  EXPECT_EQ(Bits(a.repDh), Bits(b.repDh));
  EXPECT_EQ(general.view.progress, fast.view.progress);
  EXPECT_EQ(general.view.yields, fast.view.yields);
  EXPECT_EQ(general.view.statusTexts, fast.view.statusTexts);
  EXPECT_EQ(general.view.busy, fast.view.busy);
  EXPECT_EQ(general.cancelAfter, fast.cancelAfter);
  EXPECT_EQ(a.index == nullptr, b.index == nullptr);
}

// Random files: regular runs broken by irregular lines at random places (or
// none), with or without a last line end; read by the general reader and by
// the fast path on 1 to 4 threads in chunks of a few hundred bytes through
// windows of several sizes, complete and cancelled at a random yield.
TEST(ReadParaFileFastPath, AgreesWithTheGeneralReader) {
  std::mt19937_64 rng(20261207);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int lines = std::uniform_int_distribution<int>(0, 9000)(rng);
    const double irregularShare = round % 4 == 0 ? 0.0 : round % 4 == 1 ? 0.0005 : 0.02;
    std::bernoulli_distribution irregular(irregularShare);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kIrregular) - 1);
    std::string file = Header();
    for (int i = 0; i < lines; ++i)
      file += irregular(rng) ? kIrregular[pick(rng)] : RegularLine(rng);
    if (round % 3 == 1 && !file.empty()) file.pop_back();  // no LF at the end
    if (round % 3 == 2) file += "1,2,3";                   // a short last line
    const std::string path = WriteTemp("fast.par", file);

    const int yields = lines / 2000 + 1;
    for (int cancelAt : {-1, std::uniform_int_distribution<int>(0, yields)(rng)}) {
      SCOPED_TRACE("cancel at yield " + std::to_string(cancelAt));
      Read general;
      ReadWith(path, ReadOptions{false, 1, 1 << 20}, cancelAt, general);
      for (unsigned threads : {1u, 2u, 4u}) {
        // Windows that cut lines, that hold fewer bytes than some lines and
        // than the header, and that hold the whole file.
        for (std::size_t window :
             {std::size_t{37}, std::size_t{96}, std::size_t{500}, std::size_t{1} << 20}) {
          SCOPED_TRACE("threads " + std::to_string(threads) + ", window " + std::to_string(window));
          Read fast;
          ReadWith(path, ReadOptions{true, threads, 300, window}, cancelAt, fast);
          ExpectSame(general, fast);
          if (::testing::Test::HasFatalFailure()) return;
        }
      }
    }
  }
}

// A chunk boundary inside a quoted or blank-separated stretch, and a file whose
// first node line is irregular, all fall back to the general reader there.
TEST(ReadParaFileFastPath, IrregularLinesAtChunkEdges) {
  std::string regular;
  for (int i = 0; i < 50; ++i) regular += "100.000,200.000,0.10000,0.20000,0.30000\r\n";
  const std::string cases[] = {
      Header() + "1 2 3 4 5\r\n" + regular,
      Header() + regular + "1,2,3\r\n4,5\r\n" + regular,
      Header() + regular + "1,2,3,4,5,6,7,8,9,10\r\n" + regular,
      Header() + regular + regular + "\r\n",
      Header() + regular + std::string(2000, ' ') + regular,
  };
  for (const std::string& file : cases) {
    const std::string path = WriteTemp("edges.par", file);
    Read general;
    ReadWith(path, ReadOptions{false, 1, 1 << 20}, -1, general);
    for (std::size_t chunk : {40u, 100u, 1000u}) {
      Read fast;
      ReadWith(path, ReadOptions{true, 3, chunk, chunk}, -1, fast);
      ExpectSame(general, fast);
    }
  }
}

}  // namespace
}  // namespace varno::params
