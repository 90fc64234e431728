#include <algorithm>
#include <cmath>

#include "stats/column_tail.h"

using tail_cutoff::kNegligibleTerm;

double llr_tie_tolerance(double x) {
  return std::min(tail_cutoff::kTieShare * std::max(1.0, x), tail_cutoff::kTieNats);
}

// k ln(k / (M r)) + (M - k) ln((M - k) / (M s)).
double two_letter_llr(long M, double r, double s, long k) {
  const double a = k > 0 ? k * std::log(k / (M * r)) : 0.0;
  const double b = M - k > 0 ? (M - k) * std::log((M - k) / (M * s)) : 0.0;
  return a + b;
}

CountTables::CountTables(long size)
    : n(size), log_fact(size_t(size) + 1), k_log_k(size_t(size) + 1) {
  log_fact[0] = k_log_k[0] = 0;
  for (long k = 1; k <= n; ++k) {
    log_fact[size_t(k)] = std::lgamma(k + 1.0);
    k_log_k[size_t(k)] = k * std::log(double(k));
  }
}

TwoLetter::TwoLetter(long M_, double r_, double s_, const CountTables *tables)
    : TwoLetter(M_, r_, s_, std::log(r_), std::log(s_), tables) {}

TwoLetter::TwoLetter(long M_, double r_, double s_, double log_r, double log_s,
                     const CountTables *tables)
    : M(M_), r(r_), s(s_), tables_(tables != nullptr && M_ <= tables->n ? tables : nullptr) {
  log_r_ = log_r;
  log_s_ = log_s;
  double log_m = 0;
  if (tables_ != nullptr) {
    log_m = M > 0 ? tables_->k_log_k[size_t(M)] / M : 0.0;
    log_m_fact_ = tables_->log_fact[size_t(M)];
  } else {
    log_m = M > 0 ? std::log(double(M)) : 0.0;
    log_m_fact_ = std::lgamma(M + 1.0);
  }
  log_mr_ = log_m + log_r_;
  log_ms_ = log_m + log_s_;
}

double TwoLetter::llr(long k) const {
  if (tables_ == nullptr) return two_letter_llr(M, r, s, k);
  const std::vector<double> &t = tables_->k_log_k;
  const double a = k > 0 ? t[size_t(k)] - k * log_mr_ : 0.0;
  const double b = M - k > 0 ? t[size_t(M - k)] - (M - k) * log_ms_ : 0.0;
  return a + b;
}

double TwoLetter::log_pmf(long k) const {
  if (tables_ == nullptr) return log_binomial_pmf(M, r, s, k);
  const std::vector<double> &f = tables_->log_fact;
  return log_m_fact_ - f[size_t(k)] - f[size_t(M - k)] + k * log_r_ + (M - k) * log_s_;
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
  return binomial_llr_log_tail(TwoLetter(M, r, s), t, work);
}

double binomial_llr_log_tail(const TwoLetter &two, double t, long *work) {
  const long M = two.M;
  const double r = two.r, s = two.s;
  const double reach = t - llr_tie_tolerance(t);
  if (reach <= 0 || M == 0) return reach <= 0 ? 0.0 : -INFINITY;
  // The LLR is convex in k with its minimum 0 at M r: it reaches t on [0, L] and on [R, M].
  const long mode = std::min(M, static_cast<long>(std::floor(M * r)));
  double log_p = -INFINITY;
  long terms = 0;
  if (two.llr(0) >= reach) {
    long lo = 0, hi = mode;  // the LLR at lo reaches t; find the last such count
    while (lo < hi) {
      const long mid = lo + (hi - lo + 1) / 2;
      if (two.llr(mid) >= reach)
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
      if (term < kNegligibleTerm * sum) break;
    }
    log_p = log_add(log_p, two.log_pmf(lo) + std::log(sum));
  }
  if (two.llr(M) >= reach) {
    long lo = std::min(M, mode + 1), hi = M;  // find the first count from which t is reached
    while (lo < hi) {
      const long mid = lo + (hi - lo) / 2;
      if (two.llr(mid) >= reach)
        hi = mid;
      else
        lo = mid + 1;
    }
    double sum = 1, term = 1;
    for (long k = lo; k < M; ++k) {
      term *= (M - k) * r / ((k + 1) * s);
      sum += term;
      ++terms;
      if (term < kNegligibleTerm * sum) break;
    }
    log_p = log_add(log_p, two.log_pmf(lo) + std::log(sum));
  }
  if (work != nullptr) *work += terms + 1;
  return std::min(log_p, 0.0);
}
