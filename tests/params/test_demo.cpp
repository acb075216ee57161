// The bundled demo grid: reproducible from the generator, readable, covering
// the main window's example point, with a block of nodes without parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "codec/cp932.h"
#include "params/interpolate.h"
#include "params/reader.h"
#include "params_test_util.h"
#include "support/gridgen.h"

namespace varno::params {
namespace {

const std::string kDemoPath = std::string(VARNO_TEST_DATA) + "/../../data/Veltra.par";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DemoGrid, BundledFileIsTheGeneratorsOutput) {
  const std::string bundled = Slurp(kDemoPath);
  ASSERT_FALSE(bundled.empty()) << kDemoPath;
  EXPECT_TRUE(bundled == MakeGridFile(DemoGridShape())) << "regenerate with varno-makegrid";
  // CP932 with CR LF only.
  std::size_t lf = 0, crlf = 0;
  for (std::size_t i = 0; i < bundled.size(); ++i) {
    if (bundled[i] == '\n') {
      ++lf;
      if (i > 0 && bundled[i - 1] == '\r') ++crlf;
    }
  }
  EXPECT_EQ(lf, crlf);
  EXPECT_LT(bundled.size(), 1u << 20);
}

TEST(DemoGrid, ReadsAndServesTheExamplePoint) {
  ParamStore s;
  s.paraFilePath = kDemoPath;
  bool cancel = false;
  testing::RecordingLoadView view;
  ReadParaFile(s, cancel, view);
  const GridShape shape = DemoGridShape();
  ASSERT_EQ(s.count, shape.rows * shape.cols);
  EXPECT_EQ(s.zoneNo, 9);
  EXPECT_EQ(s.VersionUtf8(), "1.0");
  EXPECT_EQ(s.RangeTextUtf8(), shape.rangeText);
  EXPECT_EQ(view.statusTexts.back().substr(0, view.statusTexts.back().find("\r\n")),
            std::to_string(s.count) + "行の変換ﾊﾟﾗﾒｰﾀを読み込みました。");

  // The example point has parameters of a plausible size.
  const Corrections c = InterpolatePara(s, 193524.0771, 34235.1330);
  ASSERT_NE(c.dx, kNoParameters);
  for (double v : {c.dx, c.dy}) EXPECT_TRUE(std::fabs(v) > 0.1 && std::fabs(v) < 5) << v;
  EXPECT_LT(c.dh, 0) << "subsidence";

  // Every node is decided by the index, and some nodes have no parameters.
  int without = 0;
  for (int32_t k = 1; k <= s.count; ++k) {
    const ParaRecord& r = s.records[static_cast<std::size_t>(k)];
    ASSERT_EQ(s.index->Find(s, r.x, r.y), k);
    if (r.dx == 0 && r.dy == 0) ++without;
  }
  EXPECT_GT(without, 100);
  EXPECT_EQ(InterpolatePara(s, 152500, 69500).dx, kNoParameters) << "inside the block";
}

}  // namespace
}  // namespace varno::params
