#include "geodesy/sine.h"

#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VARNO_SINE_VECTORS 1
#else
#define VARNO_SINE_VECTORS 0
#endif

namespace varno::geo {

namespace {

#if VARNO_SINE_VECTORS

// sin, rest, cos, rest at k/128 for k = 0..127, from tools/sine-table. The
// rests are the exact ones rounded; the library's own table has a few that
// differ in their last place, which could change a sine only where the sum
// lies within about 2^-100 of a rounding boundary. The tests and the probes
// compare the results with std::sin itself.
alignas(32) constexpr double kTable[] = {
#include "geodesy/sine_table.inc"
};

constexpr double D(uint64_t bits) {
  return std::bit_cast<double>(bits);
}

// The angle's nearest multiple of pi/2 is found by adding 1.5 * 2^52 to
// angle * 2/pi; pi/2 is then taken off in four parts, the first three short
// enough that their products with the multiple are exact.
constexpr double kToInt = D(0x4338000000000000);
constexpr double kTwoOverPi = D(0x3fe45f306dc9c883);
constexpr double kHalfPi1 = D(0x3ff921fb58000000);
constexpr double kHalfPi2 = D(0xbe4dde973c000000);
constexpr double kHalfPi3 = D(0xbc8cb3b398000000);
constexpr double kHalfPi4 = D(0xbacd747f23e32ed7);
// Adding 3 * 2^44 rounds a reduced angle to the table's step of 1/128.
constexpr double kTableRound = D(0x42c8000000000000);
// Below this the sine of a reduced angle is a series rather than the table.
constexpr double kSeriesBelow = D(0x3fc020c49ba5e354);  // 0.126
// sin d ~ d + d^3 (kSin3 + d^2 kSin5); cos d ~ 1 - d^2 (kCos2 + d^2 (kCos4 + d^2 kCos6)).
constexpr double kSin3 = D(0xbfc5555555555515);
constexpr double kSin5 = D(0x3f811110e829872f);
constexpr double kCos2 = D(0x3fe0000000000000);
constexpr double kCos4 = D(0xbfa5555555555535);
constexpr double kCos6 = D(0x3f56c16bedd9e239);
// The series for small reduced angles, x^3 .. x^11.
constexpr double kSeries3 = D(0xbfc5555555555555);
constexpr double kSeries5 = D(0x3f81111111110ece);
constexpr double kSeries7 = D(0xbf2a01a019db08b8);
constexpr double kSeries9 = D(0x3ec71de27b9a7ed9);
constexpr double kSeries11 = D(0xbe5addffc2fcdf59);
// The angles computed here, by the high words of the doubles with the sign
// cleared: 0.855469 <= |x| < 2.426265 (above kMidAbove, up to kReducedAbove)
// from pi/2 - |x|, and 2.426265 <= |x| < 105414350 (above kReducedAbove,
// below kReducedBelow) reduced by multiples of pi/2.
constexpr int64_t kMidAbove = 0x3feb5fff;
constexpr int64_t kReducedAbove = 0x400368fc;
constexpr int64_t kReducedBelow = 0x419921fb;
constexpr double kHalfPi = D(0x3ff921fb54442d18);
constexpr double kHalfPiRest = D(0x3c91a62633145c07);

// The sines of four angles; `done` gets the lanes computed here (the others
// are left to std::sin).
__attribute__((target("avx2,fma"), always_inline)) inline __m256d Four(__m256d x0, int& done) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d zero = _mm256_setzero_pd();
  const __m256i high = _mm256_and_si256(_mm256_srli_epi64(_mm256_castpd_si256(x0), 32),
                                        _mm256_set1_epi64x(0x7fffffff));
  const __m256i aboveMid = _mm256_cmpgt_epi64(high, _mm256_set1_epi64x(kMidAbove));
  const __m256i aboveReduced = _mm256_cmpgt_epi64(high, _mm256_set1_epi64x(kReducedAbove));
  const __m256i belowEnd = _mm256_cmpgt_epi64(_mm256_set1_epi64x(kReducedBelow), high);
  const __m256i reduced = _mm256_and_si256(aboveReduced, belowEnd);
  const __m256d mid = _mm256_castsi256_pd(_mm256_andnot_si256(aboveReduced, aboveMid));
  // Other angles go through the same steps (harmlessly: the table index is
  // kept in range whatever they give) and are replaced by the caller.
  const __m256d x = x0;

  // a + da = x - n pi/2, n in the low bits of tn.
  const __m256d tn = _mm256_fmadd_pd(x, _mm256_set1_pd(kTwoOverPi), _mm256_set1_pd(kToInt));
  const __m256d t = _mm256_sub_pd(tn, _mm256_set1_pd(kToInt));
  const __m256i n = _mm256_castpd_si256(tn);
  __m256d y = _mm256_fnmadd_pd(t, _mm256_set1_pd(kHalfPi1), x);
  y = _mm256_fnmadd_pd(t, _mm256_set1_pd(kHalfPi2), y);
  const __m256d a3 = _mm256_fnmadd_pd(t, _mm256_set1_pd(kHalfPi3), y);
  const __m256d da3 = _mm256_fnmadd_pd(_mm256_set1_pd(kHalfPi3), t, _mm256_sub_pd(y, a3));
  const __m256d a4 = _mm256_fnmadd_pd(t, _mm256_set1_pd(kHalfPi4), a3);
  const __m256d da4 = _mm256_fnmadd_pd(t, _mm256_set1_pd(kHalfPi4), _mm256_sub_pd(a3, a4));
  // Angles between 0.855469 and 2.426265: sin x = cos(pi/2 - |x|) with the
  // sign of x, pi/2 in two parts.
  const __m256d a =
      _mm256_blendv_pd(a4, _mm256_sub_pd(_mm256_set1_pd(kHalfPi), _mm256_andnot_pd(sign, x0)), mid);
  const __m256d da = _mm256_blendv_pd(_mm256_add_pd(da3, da4), _mm256_set1_pd(kHalfPiRest), mid);
  const __m256d absA = _mm256_andnot_pd(sign, a);

  // The table entry nearest |a|, and what is left of |a| beyond it.
  const __m256d rounded = _mm256_add_pd(absA, _mm256_set1_pd(kTableRound));
  const __m256d step = _mm256_sub_pd(rounded, _mm256_set1_pd(kTableRound));
  const __m256i entry =
      _mm256_slli_epi64(_mm256_and_si256(_mm256_castpd_si256(rounded), _mm256_set1_epi64x(127)), 2);
  // Four rows of the table, turned into columns.
  const __m256d row0 = _mm256_load_pd(kTable + _mm256_extract_epi64(entry, 0));
  const __m256d row1 = _mm256_load_pd(kTable + _mm256_extract_epi64(entry, 1));
  const __m256d row2 = _mm256_load_pd(kTable + _mm256_extract_epi64(entry, 2));
  const __m256d row3 = _mm256_load_pd(kTable + _mm256_extract_epi64(entry, 3));
  const __m256d even01 = _mm256_unpacklo_pd(row0, row1), odd01 = _mm256_unpackhi_pd(row0, row1);
  const __m256d even23 = _mm256_unpacklo_pd(row2, row3), odd23 = _mm256_unpackhi_pd(row2, row3);
  const __m256d sn = _mm256_permute2f128_pd(even01, even23, 0x20);
  const __m256d cs = _mm256_permute2f128_pd(even01, even23, 0x31);
  const __m256d ssn = _mm256_permute2f128_pd(odd01, odd23, 0x20);
  const __m256d ccs = _mm256_permute2f128_pd(odd01, odd23, 0x31);
  const __m256d rest = _mm256_sub_pd(absA, step);
  const __m256d cos2 = _mm256_set1_pd(kCos2), cos4 = _mm256_set1_pd(kCos4);
  const __m256d cos6 = _mm256_set1_pd(kCos6), sin3 = _mm256_set1_pd(kSin3);
  const __m256d sin5 = _mm256_set1_pd(kSin5);

  // Even n: sin a from the table (da taken with the sign of a).
  __m256d resultSin;
  {
    const __m256d d =
        _mm256_blendv_pd(_mm256_xor_pd(da, sign), da, _mm256_cmp_pd(zero, a, _CMP_LT_OQ));
    const __m256d rr = _mm256_mul_pd(rest, rest);
    const __m256d s = _mm256_add_pd(
        rest, _mm256_fmadd_pd(_mm256_mul_pd(rest, rr), _mm256_fmadd_pd(rr, sin5, sin3), d));
    const __m256d c = _mm256_fmadd_pd(
        d, rest, _mm256_mul_pd(rr, _mm256_fmadd_pd(rr, _mm256_fmadd_pd(rr, cos6, cos4), cos2)));
    __m256d cor = _mm256_fmadd_pd(s, ccs, ssn);
    cor = _mm256_fnmadd_pd(c, sn, cor);
    cor = _mm256_fmadd_pd(s, cs, cor);
    resultSin =
        _mm256_or_pd(_mm256_andnot_pd(sign, _mm256_add_pd(sn, cor)), _mm256_and_pd(sign, a));
  }
  // Even n and |a| < 0.126: sin a from its series.
  __m256d resultSeries;
  {
    const __m256d aa = _mm256_mul_pd(a, a);
    __m256d p = _mm256_fmadd_pd(aa, _mm256_set1_pd(kSeries11), _mm256_set1_pd(kSeries9));
    p = _mm256_fmadd_pd(aa, p, _mm256_set1_pd(kSeries7));
    p = _mm256_fmadd_pd(aa, p, _mm256_set1_pd(kSeries5));
    p = _mm256_fmadd_pd(aa, p, _mm256_set1_pd(kSeries3));
    p = _mm256_fmsub_pd(p, a, _mm256_mul_pd(da, _mm256_set1_pd(0.5)));
    resultSeries = _mm256_add_pd(_mm256_fmadd_pd(aa, p, da), a);
  }
  // Odd n, and the middle angles: cos a from the table.
  __m256d resultCos;
  {
    const __m256d d =
        _mm256_blendv_pd(da, _mm256_xor_pd(da, sign), _mm256_cmp_pd(a, zero, _CMP_LT_OQ));
    const __m256d r = _mm256_add_pd(rest, d);
    const __m256d rr = _mm256_mul_pd(r, r);
    const __m256d s = _mm256_fmadd_pd(_mm256_mul_pd(r, rr), _mm256_fmadd_pd(rr, sin5, sin3), r);
    const __m256d c = _mm256_mul_pd(rr, _mm256_fmadd_pd(rr, _mm256_fmadd_pd(rr, cos6, cos4), cos2));
    __m256d cor = _mm256_fnmadd_pd(s, ssn, ccs);
    cor = _mm256_fnmadd_pd(c, cs, cor);
    cor = _mm256_fnmadd_pd(s, sn, cor);
    resultCos = _mm256_add_pd(cs, cor);
  }

  const __m256i one = _mm256_set1_epi64x(1);
  const __m256d odd =
      _mm256_or_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(n, one), one)), mid);
  const __m256d series = _mm256_cmp_pd(_mm256_set1_pd(kSeriesBelow), absA, _CMP_GT_OQ);
  __m256d result = _mm256_blendv_pd(resultSin, resultSeries, series);
  result = _mm256_blendv_pd(result, resultCos, odd);
  // n = 2, 3 (mod 4): the opposite sign. A middle angle: the sign of x.
  const __m256i flip = _mm256_slli_epi64(_mm256_and_si256(n, _mm256_set1_epi64x(2)), 62);
  result =
      _mm256_blendv_pd(_mm256_xor_pd(result, _mm256_castsi256_pd(flip)),
                       _mm256_or_pd(_mm256_andnot_pd(sign, result), _mm256_and_pd(sign, x0)), mid);
  done = _mm256_movemask_pd(_mm256_or_pd(_mm256_castsi256_pd(reduced), mid));
  return result;
}

void LeftToLibrary(const double* in, double* out, int done) {
  if (done == 0xf) return;
  for (int i = 0; i < 4; ++i)
    if ((done & (1 << i)) == 0) out[i] = std::sin(in[i]);
}

__attribute__((target("avx2,fma"))) void FourVector(const double* in, double* out) {
  int done;
  _mm256_storeu_pd(out, Four(_mm256_loadu_pd(in), done));
  LeftToLibrary(in, out, done);
}

// sin(16 phi), sin(14 phi), ..., sin(2 phi). The angles are made here rather
// than read from memory, where four separate stores would hold up the load.
__attribute__((target("avx2,fma"))) void MultiplesVector(double phi, double* out) {
  const __m256d p = _mm256_set1_pd(phi);
  int done0, done1;
  const __m256d r0 = Four(_mm256_mul_pd(p, _mm256_setr_pd(16.0, 14.0, 12.0, 10.0)), done0);
  const __m256d r1 = Four(_mm256_mul_pd(p, _mm256_setr_pd(8.0, 6.0, 4.0, 2.0)), done1);
  _mm256_storeu_pd(out, r0);
  _mm256_storeu_pd(out + 4, r1);
  if ((done0 & done1) != 0xf) {
    const int done = done0 | done1 << 4;
    for (int i = 0; i < 8; ++i)
      if ((done & (1 << i)) == 0) out[i] = std::sin(phi * (16.0 - 2.0 * i));
  }
}

bool CpuHasVectors() {
  __builtin_cpu_init();  // in case this runs before the library's own initialisation
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

// Angles through every branch: both signs, the middle angles, all four
// quadrants, reduced angles on both sides of 0.126 and across the table, the
// ends of both ranges, and angles left to std::sin.
bool ProbesAgree() {
  double x[4], got[4];
  int filled = 0;
  auto agree = [&](double v) {
    x[filled++] = v;
    if (filled < 4) return true;
    filled = 0;
    FourVector(x, got);
    for (int i = 0; i < 4; ++i)
      if (std::bit_cast<uint64_t>(got[i]) != std::bit_cast<uint64_t>(std::sin(x[i]))) return false;
    return true;
  };
  for (int i = 0; i < 100; ++i) {
    const double v = 0.8555 + i * 0.0157;
    if (!agree(v) || !agree(-v)) return false;
  }
  for (int i = 0; i < 600; ++i) {
    const double v = 2.4263 + i * 0.0471239;
    if (!agree(v) || !agree(-v)) return false;
  }
  const double edges[] = {2.4262, 2.4263, 105414349.0,      105414351.0,
                          0.5,    1e300,  3.14159265358979, 6.283185307179586};
  for (double v : edges)
    if (!agree(v)) return false;
  return true;
}

#endif  // VARNO_SINE_VECTORS

}  // namespace

bool SineVectorsUsed() {
#if VARNO_SINE_VECTORS
  static const bool used = CpuHasVectors() && ProbesAgree();
  return used;
#else
  return false;
#endif
}

void SinesOfMultiples(double phi, double (&out)[8]) {
#if VARNO_SINE_VECTORS
  if (SineVectorsUsed()) {
    MultiplesVector(phi, out);
    return;
  }
#endif
  for (int i = 0; i < 8; ++i) out[i] = std::sin(phi * (16.0 - 2.0 * i));
}

namespace detail {

bool SineVectorsAvailable() {
#if VARNO_SINE_VECTORS
  return CpuHasVectors();
#else
  return false;
#endif
}

void SineFourVector(const double* x, double* out) {
#if VARNO_SINE_VECTORS
  FourVector(x, out);
#else
  for (int i = 0; i < 4; ++i) out[i] = std::sin(x[i]);
#endif
}

}  // namespace detail

}  // namespace varno::geo
