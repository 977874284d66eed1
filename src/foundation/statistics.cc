// Statistical functions behind the confidence bounds.
//
// The beta distribution with parameters a and b has mean x0 = a / s and 1 - x0 = y0 = b / s,
// where s = a + b. The prefactor P = x^a y^b / B(a, b) appears in every method below; it is
// computed in log space, and for large a and b as a deviation from its value at the mean, so that
// terms of size a ln x (up to 1e10 for the coverages the search meets) never cancel.
//
// I_x(a, b) itself comes from one of two methods:
//  - the continued fraction (modified Lentz), evaluated on the side of the mean where it
//    converges fast (x < (a + 1) / (s + 2), else for the complement with a and b swapped); it
//    needs about sqrt(min(a, b)) terms near the mean;
//  - for min(a, b) >= kAsymptoticMin, the leading term of the uniform asymptotic expansion in
//    s (after Temme): with -eta^2 / 2 = x0 ln(x / x0) + y0 ln(y / y0), sign(eta) = sign(x - x0),
//        I_x(a, b) = erfc(-eta sqrt(s / 2)) / 2 + e^(-s eta^2 / 2) / sqrt(2 pi s) * c0 * e^-D,
//        c0 = 1 / eta - sqrt(x0 y0) / (x - x0),
//    where D is the Stirling remainder of B(a, b). The neglected terms are relatively of order
//    eta / min(a, b)^1.5 (below 1e-10 there); the bounds stay within about 1e-12.
//
// The inverse is a bracketed Halley iteration with bisection (geometric while the bracket spans
// orders of magnitude) as the fallback, so it converges for any start; the start is the classic
// normal-quantile approximation.
#include "foundation/statistics.h"

#include <cmath>
#include <limits>

#include "ruleweave/foundation/missing_value.h"

namespace ruleweave {
namespace statistics {
namespace {

constexpr double kLnSqrtTwoPi = 0.91893853320467274178;  // ln(sqrt(2 pi))
constexpr double kTwoPi = 6.28318530717958647693;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
// Both parameters at least this: asymptotic expansion instead of the continued fraction.
constexpr double kAsymptoticMin = 1.0e5;
// Parameters at least this: Stirling's series for the gamma functions involved.
constexpr double kStirlingMin = 10.0;

bool IsPositiveFinite(double v) { return v > 0.0 && v <= std::numeric_limits<double>::max(); }

// ln Gamma(z) - [(z - 1/2) ln z - z + ln sqrt(2 pi)], for z >= 10 (error below 1e-17).
double StirlingRemainder(double z) {
  const double r = 1.0 / z;
  const double r2 = r * r;
  return r * (1.0 / 12 +
              r2 * (-1.0 / 360 +
                    r2 * (1.0 / 1260 +
                          r2 * (-1.0 / 1680 +
                                r2 * (1.0 / 1188 + r2 * (-691.0 / 360360 + r2 * (1.0 / 156)))))));
}

// t - ln(1 + t) for t > -1, accurate also for small |t| where the difference cancels.
double LogDeficit(double t) {
  if (std::fabs(t) > 0.1) return t - std::log1p(t);
  // ln(1 + t) = 2 atanh(w) with w = t / (2 + t), and t - 2w = t^2 / (2 + t).
  const double w = t / (2.0 + t);
  const double w2 = w * w;
  double term = w * w2;
  double series = 0.0;
  for (int k = 3; k < 40; k += 2) {
    const double add = term / k;
    series += add;
    if (std::fabs(add) <= 1e-18 * std::fabs(series)) break;
    term *= w2;
  }
  return t * t / (2.0 + t) - 2.0 * series;
}

// ln x and ln y for a point given as x and y = 1 - x, taking the logarithm of whichever of the
// two carries the full precision.
void LogPoint(double x, double y, double* lnx, double* lny) {
  if (x <= y) {
    *lnx = std::log(x);
    *lny = std::log1p(-x);
  } else {
    *lnx = std::log1p(-y);
    *lny = std::log(y);
  }
}

// Deviation of the point from the mean: a ln(x / x0) + b ln(y / y0) = -E, with E >= 0 returned.
// u = x - x0 is written to `u`.
double MeanDeviation(double x, double y, double a, double b, double* u) {
  const double s = a + b;
  const double x0 = a / s;
  const double y0 = b / s;
  *u = x <= y ? x - x0 : y0 - y;
  return a * LogDeficit(*u / x0) + b * LogDeficit(-*u / y0);
}

// Stirling remainder of B(a, b) for a, b >= 10: ln B - [a ln x0 + b ln y0 + ln sqrt(2 pi s / (a
// b))].
double BetaRemainder(double a, double b) {
  return StirlingRemainder(a) + StirlingRemainder(b) - StirlingRemainder(a + b);
}

// ln of x^a y^b / B(a, b).
double LogPrefactor(double x, double y, double a, double b, double lnx, double lny) {
  if (a >= kStirlingMin && b >= kStirlingMin) {
    double u = 0.0;
    const double deviation = MeanDeviation(x, y, a, b, &u);
    const double s = a + b;
    return -deviation + 0.5 * std::log(a / s * b) - kLnSqrtTwoPi - BetaRemainder(a, b);
  }
  return a * lnx + b * lny - LogBeta(a, b);
}

// The continued fraction of I_x(a, b) = P / a * cf, for x < (a + 1) / (a + b + 2); y = 1 - x.
double BetaContinuedFraction(double x, double y, double a, double b) {
  constexpr double kTiny = 1e-300;
  const double qab = a + b;
  const double qap = a + 1.0;
  const double qam = a - 1.0;
  double c = 1.0;
  // 1 - (a + b) x / (a + 1); near x = 1 written through y, which then holds the precision.
  double d = x <= 0.5 ? 1.0 - qab * x / qap : ((1.0 - b) + qab * y) / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0 / d;
  double h = d;
  // Near the mean about sqrt(min(a, b)) terms are needed; the asymptotic branch takes over far
  // below this limit.
  for (int m = 1; m <= 200000; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0) <= kEpsilon) break;
  }
  return h;
}

// Leading term of the uniform asymptotic expansion (see the file comment), a, b >= 10.
void AsymptoticTails(double x, double y, double a, double b, BetaTails* tails) {
  const double s = a + b;
  const double x0 = a / s;
  const double y0 = b / s;
  const double sigma0 = std::sqrt(x0 * y0);
  double u = 0.0;
  const double e = MeanDeviation(x, y, a, b, &u);  // s eta^2 / 2
  const double root = std::sqrt(e);                // |eta| sqrt(s / 2)
  double c0 = 0.0;
  if (std::fabs(u) < 1e-5 * std::fmin(x0, y0)) {
    // The limit at the mean; so close to it the difference is far below the expansion's own error.
    c0 = (y0 - x0) / (3.0 * sigma0);
  } else {
    const double eta = std::copysign(root * std::sqrt(2.0 / s), u);
    c0 = 1.0 / eta - sigma0 / u;
  }
  const double correction = std::exp(-e - BetaRemainder(a, b)) / std::sqrt(kTwoPi * s) * c0;
  const double z = std::copysign(root, u);
  tails->lower = 0.5 * std::erfc(-z) + correction;
  tails->upper = 0.5 * std::erfc(z) - correction;
}

// AS 109's start for the inverse: the normal deviate corrected for the beta's skew.
double QuantileStart(double p, double a, double b) {
  const double z = -NormalQuantile(p);  // upper-tail deviate, >= 0 for p <= 0.5
  double x = 0.0;
  if (a > 1.0 && b > 1.0) {
    const double r = (z * z - 3.0) / 6.0;
    const double s = 1.0 / (2.0 * a - 1.0);
    const double t = 1.0 / (2.0 * b - 1.0);
    const double h = 2.0 / (s + t);
    const double w = z * std::sqrt(h + r) / h - (t - s) * (r + 5.0 / 6.0 - 2.0 / (3.0 * h));
    x = a / (a + b * std::exp(2.0 * w));
  } else {
    const double r = 2.0 * b;
    double t = 1.0 / (9.0 * b);
    t = r * std::pow(1.0 - t + z * std::sqrt(t), 3);
    const double lnBeta = LogBeta(a, b);
    if (t <= 0.0) {
      x = 1.0 - std::exp((std::log1p(-p) + std::log(b) + lnBeta) / b);
    } else {
      t = (4.0 * a + r - 2.0) / t;
      x = t <= 1.0 ? std::exp((std::log(p * a) + lnBeta) / a) : 1.0 - 2.0 / (t + 1.0);
    }
  }
  return x;
}

// Solves I_x(a, b) = p for p in (0, 1).
void SolveBeta(double p, double a, double b, double* xOut, double* yOut) {
  // Iterate on v = x when the mean is below 1/2, else on v = y = 1 - x with a and b swapped, so
  // that the iterated variable keeps its relative precision when it is tiny. In both cases
  // G(v) = (lower tail of the v-problem) - target is increasing in v.
  const bool swapped = a > b;
  const double va = swapped ? b : a;
  const double vb = swapped ? a : b;
  const auto residual = [&](const BetaTails& t) {
    // Lower-tail target p of the x-problem is the upper-tail target p of the v-problem when
    // swapped; compare on the smaller side of the target for precision.
    if (!swapped) return p <= 0.5 ? t.lower - p : (1.0 - p) - t.upper;
    return p <= 0.5 ? p - t.upper : t.lower - (1.0 - p);
  };

  double start = QuantileStart(p <= 0.5 ? p : 1.0 - p, p <= 0.5 ? a : b, p <= 0.5 ? b : a);
  if (p > 0.5) start = 1.0 - start;  // start for x
  if (swapped) start = 1.0 - start;  // start for v
  double lo = 0.0;
  double hi = 1.0;
  double v = std::isfinite(start) && start > 0.0 && start < 1.0 ? start : va / (va + vb);

  for (int iteration = 0; iteration < 200; ++iteration) {
    BetaTails t{};
    IncompleteBeta(v, 1.0 - v, va, vb, &t);
    const double g = residual(t);
    if (g == 0.0) break;
    if (g < 0.0) {
      lo = v;
    } else {
      hi = v;
    }
    // Halley step from the density and its log-derivative; bisection when it leaves the
    // bracket or once Newton has had enough chances.
    double next = -1.0;
    const double density = std::exp(t.logDensity);
    if (iteration < 60 && density > 0.0 && std::isfinite(density)) {
      const double newton = g / density;
      const double curvature = (va - 1.0) / v - (vb - 1.0) / (1.0 - v);
      const double halley = 1.0 - 0.5 * newton * curvature;
      const double step = (halley > 0.5 && halley < 2.0) ? newton / halley : newton;
      next = v - step;
      if (std::fabs(step) <= 2.0 * kEpsilon * v) {
        v = next > lo && next < hi ? next : v;
        break;
      }
    }
    if (!(next > lo && next < hi)) {
      if (lo == 0.0) {
        next = hi < 1.0 ? hi * hi : 0.5;
      } else if (hi > 4.0 * lo) {
        next = std::sqrt(lo * hi);
      } else {
        next = 0.5 * (lo + hi);
      }
    }
    if (hi - lo <= 2.0 * kEpsilon * hi || next < std::numeric_limits<double>::min()) {
      v = next < std::numeric_limits<double>::min() ? 0.0 : next;
      break;
    }
    v = next;
  }
  const double w = 1.0 - v;
  *xOut = swapped ? w : v;
  *yOut = swapped ? v : w;
}

// Both tails at an inner point (0 < x < 1), given ln x, ln y and the log prefactor.
BetaTails TailsAt(double x, double y, double a, double b, double lnx, double lny,
                  double lnPrefactor) {
  BetaTails result{};
  result.logDensity = lnPrefactor - lnx - lny;
  if (a >= kAsymptoticMin && b >= kAsymptoticMin) {
    AsymptoticTails(x, y, a, b, &result);
  } else if (x < (a + 1.0) / (a + b + 2.0)) {
    result.lower = std::exp(lnPrefactor) * BetaContinuedFraction(x, y, a, b) / a;
    result.upper = 1.0 - result.lower;
  } else {
    result.upper = std::exp(lnPrefactor) * BetaContinuedFraction(y, x, b, a) / b;
    result.lower = 1.0 - result.upper;
  }
  return result;
}

// Places I_x(a, b) against the interval [low, high] from a few terms of its power series, without
// the continued fraction: -1 when I_x(a, b) < low, +1 when it is > high, 0 when the terms
// summed do not settle it. The series is
//     I_x(a, b) = P / a * S,   S = t_0 + t_1 + ...,   t_0 = 1,   t_(k+1) = t_k rho_k,
//     rho_k = (a + b + k) x / (a + 1 + k),
// with P the prefactor (given as its log). Every term is positive, so a partial sum is a lower
// bound of S; for b >= 1 the ratios fall with k, so once rho_k < 1 the terms after t_k sum to at
// most t_(k+1) / (1 - rho_k). Either bound settles the question as soon as it passes its end.
// Far from the mean a few terms do; near it the sum would converge slowly, and 0 after
// kMaxTerms hands the question back to the exact methods.
int PlaceBySeries(double x, double a, double b, double lnPrefactor, double low, double high) {
  constexpr int kMaxTerms = 128;
  const double scale = std::exp(lnPrefactor) / a;
  const double lowSum = low / scale;    // S below this: I below low
  const double highSum = high / scale;  // S above this: I above high
  double sum = 0.0;
  double term = 1.0;
  for (int k = 0; k < kMaxTerms; ++k) {
    sum += term;
    if (sum > highSum) return 1;
    const double rho = (a + b + k) * x / (a + 1.0 + k);
    term *= rho;
    // sum + term / (1 - rho) < lowSum, without the division.
    if (b >= 1.0 && rho < 1.0 && term < (lowSum - sum) * (1.0 - rho)) return -1;
  }
  return 0;
}

}  // namespace

double LogGamma(double x) {
  if (!(x > 0.0)) return std::numeric_limits<double>::quiet_NaN();
  if (x == std::numeric_limits<double>::infinity()) return x;
  if (x >= kStirlingMin) return (x - 0.5) * std::log(x) - x + kLnSqrtTwoPi + StirlingRemainder(x);
  // Shift up into Stirling's range: Gamma(x) = Gamma(x + k) / (x (x + 1) ... (x + k - 1)).
  double product = 1.0;
  double z = x;
  while (z < kStirlingMin) {
    product *= z;
    z += 1.0;
  }
  return (z - 0.5) * std::log(z) - z + kLnSqrtTwoPi + StirlingRemainder(z) - std::log(product);
}

double LogBeta(double a, double b) {
  if (a > b) {
    const double t = a;
    a = b;
    b = t;
  }
  // a <= b from here on.
  if (b < kStirlingMin) return LogGamma(a) + LogGamma(b) - LogGamma(a + b);
  const double s = a + b;
  if (a < kStirlingMin) {
    // ln Gamma(b) - ln Gamma(a + b) by Stirling, without the two large terms.
    return LogGamma(a) - (b - 0.5) * std::log1p(a / b) - a * std::log(s) + a +
           StirlingRemainder(b) - StirlingRemainder(s);
  }
  return (a - 0.5) * std::log(a / s) + b * std::log(b / s) - 0.5 * std::log(b) + kLnSqrtTwoPi +
         BetaRemainder(a, b);
}

double NormalQuantile(double p) {
  if (!(p > 0.0 && p < 1.0)) return QXMV::Missing();
  const double q = p - 0.5;
  if (std::fabs(q) <= 0.425) {
    const double r = 0.180625 - q * q;
    return q *
           (((((((2.5090809287301226727e+3 * r + 3.3430575583588128105e+4) * r +
                 6.7265770927008700853e+4) *
                    r +
                4.5921953931549871457e+4) *
                   r +
               1.3731693765509461125e+4) *
                  r +
              1.9715909503065514427e+3) *
                 r +
             1.3314166789178437745e+2) *
                r +
            3.3871328727963666080e+0) /
           (((((((5.2264952788528545610e+3 * r + 2.8729085735721942674e+4) * r +
                 3.9307895800092710610e+4) *
                    r +
                2.1213794301586595867e+4) *
                   r +
               5.3941960214247511077e+3) *
                  r +
              6.8718700749205790830e+2) *
                 r +
             4.2313330701600911252e+1) *
                r +
            1.0);
  }
  double r = q < 0.0 ? p : 1.0 - p;
  r = std::sqrt(-std::log(r));
  double value = 0.0;
  if (r <= 5.0) {
    r -= 1.6;
    value = (((((((7.74545014278341407640e-4 * r + 2.27238449892691845833e-2) * r +
                  2.41780725177450611770e-1) *
                     r +
                 1.27045825245236838258e+0) *
                    r +
                3.64784832476320460504e+0) *
                   r +
               5.76949722146069140550e+0) *
                  r +
              4.63033784615654529590e+0) *
                 r +
             1.42343711074968357734e+0) /
            (((((((1.05075007164441684324e-9 * r + 5.47593808499534494600e-4) * r +
                  1.51986665636164571966e-2) *
                     r +
                 1.48103976427480074590e-1) *
                    r +
                6.89767334985100004550e-1) *
                   r +
               1.67638483018380384940e+0) *
                  r +
              2.05319162663775882187e+0) *
                 r +
             1.0);
  } else {
    r -= 5.0;
    value = (((((((2.01033439929228813265e-7 * r + 2.71155556874348757815e-5) * r +
                  1.24266094738807843860e-3) *
                     r +
                 2.65321895265761230930e-2) *
                    r +
                2.96560571828504891230e-1) *
                   r +
               1.78482653991729133580e+0) *
                  r +
              5.46378491116411436990e+0) *
                 r +
             6.65790464350110377720e+0) /
            (((((((2.04426310338993978564e-15 * r + 1.42151175831644588870e-7) * r +
                  1.84631831751005468180e-5) *
                     r +
                 7.86869131145613259100e-4) *
                    r +
                1.48753612908506148525e-2) *
                   r +
               1.36929880922735805310e-1) *
                  r +
              5.99832206555887937690e-1) *
                 r +
             1.0);
  }
  return q < 0.0 ? -value : value;
}

bool IncompleteBeta(double x, double y, double a, double b, BetaTails* tails) {
  if (!IsPositiveFinite(a) || !IsPositiveFinite(b)) return false;
  if (x <= 0.0) {
    *tails = {0.0, 1.0, -std::numeric_limits<double>::infinity()};
    return true;
  }
  if (y <= 0.0) {
    *tails = {1.0, 0.0, -std::numeric_limits<double>::infinity()};
    return true;
  }
  double lnx = 0.0;
  double lny = 0.0;
  LogPoint(x, y, &lnx, &lny);
  *tails = TailsAt(x, y, a, b, lnx, lny, LogPrefactor(x, y, a, b, lnx, lny));
  return true;
}

bool BetaQuantile(double p, double a, double b, double* x, double* y) {
  if (!IsPositiveFinite(a) || !IsPositiveFinite(b) || !(p >= 0.0 && p <= 1.0)) return false;
  if (p == 0.0) {
    *x = 0.0;
    *y = 1.0;
  } else if (p == 1.0) {
    *x = 1.0;
    *y = 0.0;
  } else {
    SolveBeta(p, a, b, x, y);
  }
  return true;
}

double FQuantile(double p, double d1, double d2) {
  if (!(p >= 0.0 && p < 1.0) || !(d1 > 0.0) || !(d2 > 0.0)) return QXMV::Missing();
  if (p == 0.0) return 0.0;
  double x = 0.0;
  double y = 1.0;
  if (!BetaQuantile(p, d1 / 2.0, d2 / 2.0, &x, &y) || x < 0.0 || x >= 1.0 || y <= 0.0) {
    return QXMV::Missing();
  }
  return (d2 / d1) * (x / y);
}

namespace {

bool AdmitsInterval(double n, double r, double tail) {
  return r >= 0.0 && r <= n && n <= std::numeric_limits<double>::max() && tail > 0.0 && tail < 0.5;
}

}  // namespace

double ClopperPearsonLower(double coverage, double response, double tail) {
  const double n = coverage;
  const double r = response;
  if (!AdmitsInterval(n, r, tail)) return QXMV::Missing();
  double x = 0.0;
  double y = 1.0;
  return r == 0.0 ? 0.0 : (BetaQuantile(tail, r, n - r + 1.0, &x, &y) ? x : QXMV::Missing());
}

bool ClopperPearsonLowerExceeds(double coverage, double response, double tail, double threshold) {
  const double n = coverage;
  const double r = response;
  const double a = r;
  const double b = n - r + 1.0;
  if (AdmitsInterval(n, r, tail) && r > 0.0 && threshold > 0.0 && threshold < 1.0 &&
      IsPositiveFinite(a) && IsPositiveFinite(b)) {
    const double x = threshold;
    const double y = 1.0 - threshold;
    double lnx = 0.0;
    double lny = 0.0;
    LogPoint(x, y, &lnx, &lny);
    const double lnPrefactor = LogPrefactor(x, y, a, b, lnx, lny);
    // The value computed below is decided on with a relative margin; the series settles the
    // cases that lie further out (by kSlack more), where no rounding of either computation can
    // move the value across the margin, so the answer is the one the computed value gives.
    constexpr double kMargin = 1e-6;
    constexpr double kSlack = 1e-3;
    const int place = PlaceBySeries(x, a, b, lnPrefactor, tail * (1.0 - kMargin) * (1.0 - kSlack),
                                    tail * (1.0 + kMargin) * (1.0 + kSlack));
    if (place != 0) return place < 0;
    const BetaTails t = TailsAt(x, y, a, b, lnx, lny, lnPrefactor);
    if (t.lower < tail * (1.0 - kMargin)) return true;
    if (t.lower > tail * (1.0 + kMargin)) return false;
  }
  return ClopperPearsonLower(n, r, tail) > threshold;
}

void ClopperPearson(double coverage, double response, double tail, double* lower, double* upper) {
  const double n = coverage;
  const double r = response;
  if (!AdmitsInterval(n, r, tail)) {
    *lower = QXMV::Missing();
    *upper = QXMV::Missing();
    return;
  }
  // Lower: the x with P(Binomial(n, x) >= r) = tail, i.e. I_x(r, n - r + 1) = tail, which is
  // r / (r + (n - r + 1) F(1 - tail; 2(n - r + 1), 2r)). Upper: 1 - x' with
  // I_x'(n - r, r + 1) = tail, which is the F form of the upper bound. Solving the beta form
  // directly avoids the x / (1 - x) round trip through F.
  double x = 0.0;
  double y = 1.0;
  *lower = r == 0.0 ? 0.0 : (BetaQuantile(tail, r, n - r + 1.0, &x, &y) ? x : QXMV::Missing());
  *upper = r == n ? 1.0 : (BetaQuantile(tail, n - r, r + 1.0, &x, &y) ? y : QXMV::Missing());
}

}  // namespace statistics
}  // namespace ruleweave
