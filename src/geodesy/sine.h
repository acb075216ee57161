// The meridian arc's sines, each equal bit for bit to std::sin.
//
// The meridian arc takes the sines of 2, 4, ..., 16 times a latitude, and
// those eight calls were a fifth of a latitude/longitude conversion. On
// processors with AVX2 and FMA, the C library computes the sine of an angle
// above 0.855469 by a fixed sequence of operations: pi/2 - |x| below 2.426265,
// beyond it a reduction by multiples of pi/2 in four parts, then a table of
// sin and cos at steps of 1/128 and short polynomials. SinesOfMultiples does
// that same sequence on four angles at a time. Every other angle, and every
// angle on other processors, goes to std::sin itself.
//
// The vector path is taken only when this processor's std::sin agrees with it
// on a set of probe angles covering every branch of the sequence (checked
// once, on first use), so that a C library that computes differently is
// simply used as it is.
#pragma once

namespace varno::geo {

// out = sin(16 phi), sin(14 phi), ..., sin(2 phi), each bit for bit
// std::sin(phi * 16.0) and so on: the meridian arc's sines.
void SinesOfMultiples(double phi, double (&out)[8]);

// Whether SinesOfMultiples computes on vectors on this processor (for tests and
// benchmarks).
bool SineVectorsUsed();

namespace detail {
// The vector path on four angles, whatever the processor (only where it has
// AVX2 and FMA). For tests.
void SineFourVector(const double* x, double* out);
bool SineVectorsAvailable();
}  // namespace detail

}  // namespace varno::geo
