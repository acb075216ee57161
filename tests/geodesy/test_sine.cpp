#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "geodesy/sine.h"

namespace varno::geo {
namespace {

// Angles through every branch of the sine: the small ones left to the library,
// the middle ones (pi/2 - |x|), reduced ones of all four quadrants, reduced
// remainders on both sides of 0.126 and at the table's half steps, the ends of
// each range, both signs, and what is not a finite angle.
std::vector<double> HardAngles() {
  std::vector<double> v = {0.0,
                           -0.0,
                           1e-300,
                           std::numeric_limits<double>::denorm_min(),
                           0.126,
                           0.855469,
                           0.8554687,
                           std::nextafter(0.85546875, 0.0),
                           0.85546875,
                           2.4262647,
                           2.426265,
                           std::bit_cast<double>(uint64_t{0x400368fd00000000}),
                           std::nextafter(std::bit_cast<double>(uint64_t{0x400368fd00000000}), 0.0),
                           105414349.99,
                           105414350.0,
                           std::bit_cast<double>(uint64_t{0x419921fb00000000}),
                           std::nextafter(std::bit_cast<double>(uint64_t{0x419921fb00000000}), 0.0),
                           1e22,
                           1e300,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (int q = 1; q <= 400; ++q) {
    // Near multiples of pi/2, where the remainder is tiny and its rest matters.
    const double m = q * 1.5707963267948966;
    for (double d :
         {0.0, 1e-17, 1e-12, 1e-6, 0.1259, 0.1261, -0.1259, -0.1261, 0.7853981, -0.7853981})
      v.push_back(m + d);
  }
  for (int k = 0; k <= 110; ++k) {
    // Remainders on the table's steps and half steps.
    for (double d : {0.0, 0.5, -0.5})
      for (int q : {2, 3, 4, 5}) v.push_back(q * 1.5707963267948966 + (k + d) / 128.0);
  }
  const std::size_t n = v.size();
  for (std::size_t i = 0; i < n; ++i) v.push_back(-v[i]);
  return v;
}

std::vector<double> RandomAngles() {
  std::mt19937_64 rng(20261208);
  std::vector<double> v;
  const double ranges[][2] = {{0.0, 1.0}, {0.8, 2.5}, {2.4, 30.0}, {-30.0, 30.0}, {30.0, 1.1e8}};
  for (const auto& r : ranges) {
    std::uniform_real_distribution<double> d(r[0], r[1]);
    for (int i = 0; i < 200000; ++i) v.push_back(d(rng));
  }
  return v;
}

void ExpectLibrarySines(const std::vector<double>& x, const std::vector<double>& got) {
  int shown = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double want = std::sin(x[i]);
    if (std::bit_cast<uint64_t>(got[i]) != std::bit_cast<uint64_t>(want) && shown++ < 10) {
      ADD_FAILURE() << std::hexfloat << "sin(" << x[i] << ") gave " << got[i] << ", library "
                    << want;
    }
  }
}

TEST(Sine, EveryAngleGetsTheLibrarysSineBitForBit) {
  if (!detail::SineVectorsAvailable()) GTEST_SKIP() << "no AVX2/FMA: std::sin is used as it is";
  // The vector path itself, even where the probes would turn it off; the
  // angles it leaves to std::sin included.
  for (std::vector<double> x : {HardAngles(), RandomAngles()}) {
    x.resize((x.size() + 3) / 4 * 4, 1.0);
    std::vector<double> got(x.size());
    for (std::size_t i = 0; i < x.size(); i += 4) detail::SineFourVector(&x[i], &got[i]);
    ExpectLibrarySines(x, got);
  }
  EXPECT_TRUE(SineVectorsUsed()) << "the probes found the library computing differently";
}

TEST(Sine, TheMeridianArcsMultiplesOfEveryLatitude) {
  // 2 to 16 times latitudes from the equator to the pole and a little below
  // the equator, every 0.001 degree, with a few that are not latitudes.
  std::vector<double> phis = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(), 1e10, -1e10};
  for (int i = -1000; i <= 90000; ++i) phis.push_back(i * 1e-3 * 0.017453292519943295);
  std::vector<double> x, got;
  for (double phi : phis) {
    double sines[8];
    SinesOfMultiples(phi, sines);
    for (int m = 16, j = 0; m >= 2; m -= 2, ++j) {
      x.push_back(phi * m);
      got.push_back(sines[j]);
    }
  }
  ExpectLibrarySines(x, got);
}

}  // namespace
}  // namespace varno::geo
