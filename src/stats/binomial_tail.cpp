#include <algorithm>
#include <cmath>

#include "stats/column_tail.h"

double llr_tie_tolerance(double x) { return std::min(1e-9 * std::max(1.0, x), 1e-5); }

// k ln(k / (M r)) + (M - k) ln((M - k) / (M s)).
double two_letter_llr(long M, double r, double s, long k) {
  const double a = k > 0 ? k * std::log(k / (M * r)) : 0.0;
  const double b = M - k > 0 ? (M - k) * std::log((M - k) / (M * s)) : 0.0;
  return a + b;
}

double log_binomial_pmf(long M, double r, double s, long k) {
  return std::lgamma(M + 1.0) - std::lgamma(k + 1.0) - std::lgamma(M - k + 1.0) + k * std::log(r) +
         (M - k) * std::log(s);
}

double log_add(double a, double b) {
  if (a < b) std::swap(a, b);
  if (b == -INFINITY) return a;
  return a + std::log1p(std::exp(b - a));
}

double binomial_llr_log_tail(long M, double r, double s, double t, long *work) {
  const double reach = t - llr_tie_tolerance(t);
  if (reach <= 0 || M == 0) return reach <= 0 ? 0.0 : -INFINITY;
  // The LLR is convex in k with its minimum 0 at M r: it reaches t on [0, L] and on [R, M].
  const long mode = std::min(M, static_cast<long>(std::floor(M * r)));
  double log_p = -INFINITY;
  long terms = 0;
  if (two_letter_llr(M, r, s, 0) >= reach) {
    long lo = 0, hi = mode;  // the LLR at lo reaches t; find the last such count
    while (lo < hi) {
      const long mid = lo + (hi - lo + 1) / 2;
      if (two_letter_llr(M, r, s, mid) >= reach)
        lo = mid;
      else
        hi = mid - 1;
    }
    // Terms fall from L down to 0; each is the one above times k s / ((M - k + 1) r).
    double sum = 1, term = 1;
    for (long k = lo; k > 0; --k) {
      term *= k * s / ((M - k + 1) * r);
      sum += term;
      ++terms;
      if (term < 1e-17 * sum) break;
    }
    log_p = log_add(log_p, log_binomial_pmf(M, r, s, lo) + std::log(sum));
  }
  if (two_letter_llr(M, r, s, M) >= reach) {
    long lo = std::min(M, mode + 1), hi = M;  // find the first count from which t is reached
    while (lo < hi) {
      const long mid = lo + (hi - lo) / 2;
      if (two_letter_llr(M, r, s, mid) >= reach)
        hi = mid;
      else
        lo = mid + 1;
    }
    double sum = 1, term = 1;
    for (long k = lo; k < M; ++k) {
      term *= (M - k) * r / ((k + 1) * s);
      sum += term;
      ++terms;
      if (term < 1e-17 * sum) break;
    }
    log_p = log_add(log_p, log_binomial_pmf(M, r, s, lo) + std::log(sum));
  }
  if (work != nullptr) *work += terms + 1;
  return std::min(log_p, 0.0);
}
