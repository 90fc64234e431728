#include "stats/column_tail.h"

#include <algorithm>
#include <cmath>

#include "process/cancellation.h"

namespace {
// Enumeration steps tried first (about a tenth of a second), and when the tilted readings
// never agree (seconds).
constexpr long kQuickBudget = 3000000;
constexpr long kLongBudget = 30000000;

// ln P(G >= x) as the sum over the counts k of `sparse`'s letter of P(k) times the tail of
// the other letters over the N - k sites left, each by column_log_tail. By the chain rule the
// column LLR is the two-letter LLR of the split (letter against the rest) plus the LLR of the
// rest among themselves. `method` becomes the least sure of the methods used.
double split_log_tail(int N, const std::vector<double> &q, double x, const SparseLetter &sparse,
                      TailMethod *method) {
  const size_t a = static_cast<size_t>(sparse.letter);
  std::vector<double> rest;
  double total = 0, rest_total = 0;
  for (size_t b = 0; b < q.size(); ++b) {
    total += q[b];
    if (b != a) {
      rest.push_back(q[b]);
      rest_total += q[b];
    }
  }
  const double r = q[a] / total, s = rest_total / total;
  *method = TailMethod::exact;
  double log_p = -INFINITY;
  for (long k : sparse.counts) {
    throw_if_cancelled();
    TailMethod used = TailMethod::exact;
    const double split = two_letter_llr(N, r, s, k);
    const double rest_tail = column_log_tail(static_cast<int>(N - k), rest, x - split, &used);
    *method = std::max(*method, used);
    log_p = log_add(log_p, log_binomial_pmf(N, r, s, k) + rest_tail);
  }
  return std::min(log_p, 0.0);
}
}  // namespace

double column_log_tail(int N, const std::vector<double> &q, double x, TailMethod *method) {
  TailMethod used = TailMethod::exact;
  double log_p = 0;
  const int A = static_cast<int>(q.size());
  if (A < 2 || N < 1 || x - llr_tie_tolerance(x) <= 0) {
    log_p = 0;
  } else if (A == 2) {
    const double total = q[0] + q[1];
    log_p = binomial_llr_log_tail(N, q[0] / total, q[1] / total, x);
  } else if (exact_log_tail(N, q, x, kQuickBudget, &log_p)) {
    used = TailMethod::exact;
  } else if (A >= 5 && N <= kFineLatticeSites && fine_lattice_log_tail_checked(N, q, x, &log_p)) {
    used = TailMethod::lattice;
  } else if (A >= 5 && N <= kFineLatticeSites) {
    // The lattices never agreed, or would not fit (NaN): the tilted reading when it settles,
    // or when there is no lattice reading to keep.
    double tilted;
    const bool settled = tilted_log_tail_checked(N, q, x, &tilted);
    used = settled ? TailMethod::tilted : TailMethod::unchecked;
    if (settled || std::isnan(log_p)) log_p = tilted;
  } else {
    // Corners matter for few letters; with more, the other letters smooth out a rare one.
    SparseLetter sparse;
    used = TailMethod::tilted;
    const bool agreed = tilted_log_tail_checked(N, q, x, &log_p, A <= 4 ? &sparse : nullptr);
    if (sparse.letter >= 0 || !agreed) {
      double exact;
      // The enumeration's steps grow as N^(A-2); past the long budget it is not tried.
      const bool may_finish = std::pow(N + 1.0, A - 2) <= kLongBudget;
      if (may_finish && exact_log_tail(N, q, x, kLongBudget, &exact)) {
        used = TailMethod::exact;
        log_p = exact;
      } else if (!sparse.counts.empty()) {
        log_p = split_log_tail(N, q, x, sparse, &used);
      } else if (!agreed) {
        used = TailMethod::unchecked;
      }
    }
  }
  if (method != nullptr) *method = used;
  return log_p;
}
