// Statistical functions behind the measure's confidence bounds: log-gamma, the standard normal
// quantile, the regularized incomplete beta function with its inverse, the F quantile and the
// exact binomial (Clopper-Pearson) interval. Internal; stateless; nothing here allocates.
#ifndef RULEWEAVE_FOUNDATION_STATISTICS_H_
#define RULEWEAVE_FOUNDATION_STATISTICS_H_

namespace ruleweave {
namespace statistics {

// ln Gamma(x) for x > 0 (NaN otherwise). Absolute error about 1e-15 for small x, relative error
// about 1e-16 for large x.
double LogGamma(double x);

// ln B(a, b) for a, b > 0, without the cancellation of three large log-gammas when one parameter
// is small and the other large.
double LogBeta(double a, double b);

// Standard normal quantile by Wichura's AS 241 (16 digits). 0 at p = 0.5; the system-missing
// value for p <= 0, p >= 1 or NaN.
double NormalQuantile(double p);

// Both tails of the beta distribution at one point: lower = I_x(a, b), upper = 1 - I_x(a, b),
// each to near full relative precision (the smaller one is computed directly, not as 1 - the
// other), and the log of the density at x.
struct BetaTails {
  double lower;
  double upper;
  double logDensity;
};

// I_x(a, b) with its complement. `y` must be 1 - x; passing it separately keeps its precision
// when x is near 1. x <= 0 gives lower 0, y <= 0 gives lower 1. Returns false (and leaves
// `tails` alone) when a or b is not a positive finite number.
bool IncompleteBeta(double x, double y, double a, double b, BetaTails* tails);

// Solves I_x(a, b) = p for x, writing x and y = 1 - x (whichever is the smaller is exact to
// near full relative precision). p = 0 gives x = 0, p = 1 gives x = 1. Returns false for a or b
// not positive and finite, or p outside [0, 1] or NaN.
bool BetaQuantile(double p, double a, double b, double* x, double* y);

// Quantile of the F distribution with d1 and d2 degrees of freedom: the system-missing value when
// p < 0, p >= 1, p is NaN, d1 <= 0 or d2 <= 0, or the beta quantile fails; 0 for p = 0.
double FQuantile(double p, double d1, double d2);

// Exact two-sided binomial interval for `response` of `coverage` (reals, 0 <= response <=
// coverage) with `tail` = (1 - confidence) / 2 in each tail: lower is 0 when
// response is 0, upper is 1 when response equals coverage. Both are the system-missing value
// when the inputs admit no interval (negative or non-finite values, response > coverage).
void ClopperPearson(double coverage, double response, double tail, double* lower, double* upper);
// The lower end of that interval alone (the same value), for a caller that needs no upper end:
// one quantile to solve instead of two.
double ClopperPearsonLower(double coverage, double response, double tail);
// Whether ClopperPearsonLower(coverage, response, tail) > threshold. The lower end exceeds a
// threshold t in (0, 1) exactly when I_t(response, coverage - response + 1) < tail, so one
// incomplete-beta value at t decides, without solving for the end; where that value lies within
// a millionth of the tail the end itself is solved and compared, so the answer is the
// comparison's. Values far from the tail are placed by a few terms of the power series instead
// of the full evaluation (the same answer, see statistics.cc).
bool ClopperPearsonLowerExceeds(double coverage, double response, double tail, double threshold);

}  // namespace statistics
}  // namespace ruleweave

#endif  // RULEWEAVE_FOUNDATION_STATISTICS_H_
