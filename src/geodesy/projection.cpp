#include "geodesy/projection.h"

#include <cmath>

#include "geodesy/sine.h"
#include "text/errors.h"

namespace varno::geo {

namespace {

// Integer powers are built from products the way the powers of e and t are:
// x^3 = x^2 x, x^4 = x^2 x^2, x^6 = x^4 x^2, x^8 = x^4 x^4 and so on.
struct Powers {
  double p2, p3, p4, p5, p6, p7, p8;
  Powers(double x, const char* step)
      : p2(Checked(x * x, step)),
        p3(Checked(p2 * x, step)),
        p4(Checked(p2 * p2, step)),
        p5(Checked(p4 * x, step)),
        p6(Checked(p4 * p2, step)),
        p7(Checked(p6 * x, step)),
        p8(Checked(p4 * p4, step)) {}
};

double Square(double x, const char* step) {
  return Checked(x * x, step);
}
double Cube(double x, const char* step) {
  return Checked(Square(x, step) * x, step);
}
double Fourth(double x, const char* step) {
  const double sq = Square(x, step);
  return Checked(sq * sq, step);
}

}  // namespace

Projection::Projection(const EllipsoidTable& table, EllipsoidEntry entry, const ZoneSelection& zone)
    : k_(DeriveConstants(table, entry, zone.originLat, zone.originLon, true)),
      m0_(table.originScale),
      zone_(zone) {}

Projection::Projection(const GeoState& st)
    : Projection(st.ellipsoids, EllipsoidEntry::kGrs80, st.zone) {}

double MeridianArc(double phi, const ConstantSet& k) {
  constexpr const char* kStep = "MeridianArc";
  double sines[8];  // sin(phi * 16.0), sin(phi * 14.0), ..., sin(phi * 2.0)
  SinesOfMultiples(phi, sines);
  double s = Checked(k.I / 16.0 * sines[0], kStep);
  s = Checked(s - k.H / 14.0 * sines[1], kStep);
  s = Checked(s + k.G / 12.0 * sines[2], kStep);
  s = Checked(s - k.F / 10.0 * sines[3], kStep);
  s = Checked(s + k.E / 8.0 * sines[4], kStep);
  s = Checked(s - k.D / 6.0 * sines[5], kStep);
  s = Checked(s + k.C / 4.0 * sines[6], kStep);
  s = Checked(s - k.B / 2.0 * sines[7], kStep);
  s = Checked(s + k.A * phi, kStep);
  return Checked(k.meridianFactor * s, kStep);
}

PlaneResult Projection::Forward(double phi, double lambda, Outputs outputs) const {
  constexpr const char* kStep = "CalcBl2xy";
  const ConstantSet& k = k_;
  const double m0 = m0_;

  const double dl = Checked(lambda - k.lambda0, kStep);
  const double t = Checked(std::tan(phi), kStep);
  const double t2 = Checked(t * t, kStep);
  const double t4 = Checked(t2 * t2, kStep);
  const double t6 = Checked(t4 * t2, kStep);
  const double cosPhi = std::cos(phi);
  const double K = Checked(cosPhi * cosPhi, kStep);
  const double eta2 = Checked(K * k.ep2, kStep);
  const double M = Checked(k.c / std::sqrt(Cube(1.0 + eta2, kStep)), kStep);
  const double N = Checked(k.c / std::sqrt(1.0 + eta2), kStep);
  const double L2 = Checked(dl * dl, kStep);
  const double L4 = Checked(L2 * L2, kStep);
  const double L6 = Checked(L4 * L2, kStep);
  const double S = MeridianArc(phi, k);
  const double K2 = Square(K, kStep);
  const double K3 = Cube(K, kStep);

  PlaneResult r;
  double x = Checked(K3 * (-(3111.0 * t2 - 1385.0 - 543.0 * t4 + t6) * L6) / 40320.0, kStep);
  x = Checked(x - K2 * ((58.0 * t2 - 61.0 - t4 - 270.0 * eta2 + 330.0 * t2 * eta2) * L4) / 720.0,
              kStep);
  x = Checked(x + (9.0 * eta2 + (5.0 - t2) + 4.0 * eta2 * eta2) * L2 * K / 24.0, kStep);
  x = Checked(x + 1.0 / 2.0, kStep);
  x = Checked(x * N * K * t * L2, kStep);
  r.x = Checked((x + S - k.S0) * m0, kStep);

  double y = Checked(K3 * (-(479.0 * t2 - 61.0 - 179.0 * t4 + t6) * L6) / 5040.0, kStep);
  y = Checked(y - K2 * ((18.0 * t2 - 5.0 - t4 - 14.0 * eta2 + 58.0 * t2 * eta2) * L4) / 120.0,
              kStep);
  y = Checked(y - (t2 - 1.0 - eta2) * L2 * K / 6.0, kStep);
  y = Checked(y + 1.0, kStep);
  r.y = Checked(N * y * cosPhi * dl * m0, kStep);
  if (outputs == Outputs::kPosition) return r;

  const double eta4 = Square(eta2, kStep);
  double g = Checked(L4 * K2 * (2.0 - t2) / 15.0, kStep);
  g = Checked(L2 * ((2.0 * eta4 + (3.0 * eta2 + 1.0)) * K) / 3.0 + g, kStep);
  g = Checked(g + 1.0, kStep);
  r.gamma = Checked(cosPhi * g * t * dl, kStep);

  double q = Checked(
      Fourth(r.y, kStep) / (Fourth(m0, kStep) * 24.0 * Square(M, kStep) * Square(N, kStep)), kStep);
  q = Checked(Square(r.y, kStep) / (Square(m0, kStep) * 2.0 * M * N) + q, kStep);
  r.m = Checked((q + 1.0) * m0, kStep);
  return r;
}

void Projection::Inverse(double x, double y, GeoResult& out, NotSettledHook* hook,
                         Outputs outputs) const {
  constexpr const char* kStep = "CalcXy2bl";
  const ConstantSet& k = k_;
  const double m0 = m0_;
  const double e2 = k.e2;
  // The arc to the origin is the same whenever the set was derived with it.
  const double S0 = k.withS0 ? k.S0 : MeridianArc(k.phi0, k);
  const double T = Checked(x / m0 + S0, kStep);

  // Footpoint latitude: Halley iteration on S(phi) = T.
  double phi = k.phi0;
  int16_t counter = 0;
  double prev;
  do {
    counter = AddInt16(counter, 1);
    prev = phi;
    // At phi0 (the first step) the terms of phi come from the derived set.
    const bool atOrigin = k.withS0 && phi == k.phi0;
    const double S = phi == k.phi0 ? S0 : MeridianArc(phi, k);
    const double sinPhi = atOrigin ? k.sinPhi0 : std::sin(phi);
    const double W2 = atOrigin ? k.w2Phi0 : Checked(1.0 - e2 * sinPhi * sinPhi, kStep);
    const double powW2 = atOrigin ? k.powW2Phi0 : Checked(std::pow(W2, 1.5), kStep);
    const double cosPhi = atOrigin ? k.cosPhi0 : std::cos(phi);
    const double sqrtW2 = atOrigin ? k.sqrtW2Phi0 : std::sqrt(W2);
    const double num = Checked(powW2 * 2.0 * (S - T), kStep);
    const double den =
        Checked(3.0 * e2 * (S - T) * sinPhi * cosPhi * sqrtW2 - 2.0 * k.a * (1.0 - e2), kStep);
    phi = Checked(num / den + phi, kStep);
    if (counter > 100 && hook) hook->OnNotSettled();
  } while (std::fabs(phi - prev) >= 1e-14 && counter <= 100);
  out.iterations = counter;
  out.notSettled = counter > 100;
  const double phi1 = phi;

  const double t = Checked(std::tan(phi1), kStep);
  const double t2 = Checked(t * t, kStep);
  const double t4 = Checked(t2 * t2, kStep);
  const double t6 = Checked(t4 * t2, kStep);
  const double cosPhi1 = std::cos(phi1);
  double eta2 = Checked(cosPhi1 * k.ep2 * cosPhi1, kStep);
  const double N1 = Checked(k.c / std::sqrt(1.0 + eta2), kStep);
  const double N1c = Checked(N1 * cosPhi1, kStep);
  const double yy = Checked(y / m0, kStep);
  const Powers yp(yy, kStep);
  const Powers np(N1, kStep);

  double p = Checked(yp.p8 * (3633.0 * t2 + 1385.0 + 4095.0 * t4 + 1575.0 * t6) / (np.p8 * 40320.0),
                     kStep);
  p = Checked(
      p - yp.p6 *
              (90.0 * t2 + 61.0 + 45.0 * t4 + 107.0 * eta2 - 162.0 * t2 * eta2 - 45.0 * t4 * eta2) /
              (np.p6 * 720.0),
      kStep);
  double g = Checked(3.0 * t2 + 5.0 + 6.0 * eta2 - 6.0 * t2 * eta2, kStep);
  g = Checked(g - 3.0 * Square(eta2, kStep), kStep);
  g = Checked(g - 9.0 * t2 * Square(eta2, kStep), kStep);
  p = Checked(yp.p4 * g / (np.p4 * 24.0) + p, kStep);
  p = Checked(p - yp.p2 * (1.0 + eta2) / (np.p2 + np.p2), kStep);
  out.phi = Checked(phi1 + t * p, kStep);

  double q = Checked(
      -(662.0 * t2 + 61.0 + 1320.0 * t4 + 720.0 * t6) / (np.p6 * 5040.0 * N1c) * yp.p7, kStep);
  q = Checked(
      yp.p5 * (28.0 * t2 + 5.0 + 24.0 * t4 + 6.0 * eta2 + 8.0 * t2 * eta2) / (np.p4 * 120.0 * N1c) +
          q,
      kStep);
  q = Checked(q - yp.p3 * (2.0 * t2 + 1.0 + eta2) / (np.p2 * 6.0 * N1c), kStep);
  q = Checked(yy / N1c + q, kStep);
  out.lambda = Checked(q + k.lambda0, kStep);
  if (outputs == Outputs::kPosition) return;

  double r = Checked(yp.p5 * ((t2 + 1.0) * (3.0 * t2 + 2.0)) / (np.p5 * 15.0), kStep);
  r = Checked(r - yp.p3 * (t2 + 1.0 - eta2) / (np.p3 * 3.0), kStep);
  r = Checked((1.0 / N1) * y / m0 + r, kStep);
  out.gamma = Checked(t * r, kStep);

  const double cosPhi = std::cos(out.phi);
  eta2 = Checked(cosPhi * k.ep2 * cosPhi, kStep);
  const double M = Checked(k.c / std::sqrt(Cube(1.0 + eta2, kStep)), kStep);
  const double N = Checked(k.c / std::sqrt(1.0 + eta2), kStep);
  double s = Checked(
      Fourth(y, kStep) / (Fourth(m0, kStep) * 24.0 * Square(M, kStep) * Square(N, kStep)), kStep);
  s = Checked(Square(y, kStep) / (Square(m0, kStep) * 2.0 * M * N) + s, kStep);
  out.m = Checked((s + 1.0) * m0, kStep);
}

GeoResult Projection::Inverse(double x, double y, NotSettledHook* hook) const {
  GeoResult r;
  Inverse(x, y, r, hook);
  return r;
}

}  // namespace varno::geo
