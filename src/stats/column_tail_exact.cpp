#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

#include "process/cancellation.h"
#include "stats/column_tail.h"

namespace {
using tail_cutoff::kMostTableCounts;
using tail_cutoff::kNegligibleSubtree;
using tail_cutoff::kShortOfReach;

// The farthest count from k towards `end` (0 or M) up to which `outside` holds throughout,
// given that it holds at k and on one interval of counts.
template <typename Outside>
long last_short_of_reach(long k, long end, const Outside &outside) {
  long inner = k, outer = end;  // outside(inner); the answer lies between them
  while (inner != outer) {
    const long mid = inner + (outer - inner + (outer > inner ? 1 : -1)) / 2;
    if (outside(mid))
      inner = mid;
    else
      outer = mid + (outer > inner ? -1 : 1);
  }
  return inner;
}

// The letters split off one at a time: letter j against all letters after it. By the chain
// rule the column LLR is the sum of these two-letter LLRs, each over the counts still left.
struct Enumeration {
  std::vector<double> q;             // frequencies, smallest first
  std::vector<double> rest;          // rest[j] = q[j] + q[j + 1] + ...
  std::vector<double> rest_min;      // smallest frequency among letters j ..
  std::vector<double> log_r, log_s;  // ln of each split's shares
  const CountTables *tables = nullptr;
  long budget, work = 0;
  double log_p = -INFINITY;
  bool gave_up = false;

  // Largest LLR the letters j .. can add with M counts: all of them on the rarest letter.
  double most(int j, long M) const { return M > 0 ? M * std::log(rest[j] / rest_min[j]) : 0.0; }

  void visit(int j, long M, double t, double log_w) {
    if (gave_up) return;
    if (++work > budget) {
      gave_up = true;
      return;
    }
    if ((work & 4095) == 0) throw_if_cancelled();  // a few microseconds apart
    const double tol = llr_tie_tolerance(t);
    if (t - tol <= 0) {  // every way of spending the rest reaches x
      log_p = log_add(log_p, log_w);
      return;
    }
    if (most(j, M) < t - tol) return;  // none does
    const int A = static_cast<int>(q.size());
    const double r = q[j] / rest[j], s = rest[j + 1] / rest[j];
    if (j == A - 2) {
      const TwoLetter two(M, r, s, log_r[j], log_s[j], tables);
      log_p = log_add(log_p, log_w + binomial_llr_log_tail(two, t, &work));
      return;
    }
    const TwoLetter two(M, r, s, log_r[j], log_s[j], tables);
    // Counts of letter j from its most likely value outward; a direction stops once its
    // terms, which only fall from there, cannot add 1e-18 of the tail found so far.
    const long mode = std::min(M, static_cast<long>(std::floor(M * r)));
    const double log_room = std::log(M + 1.0), types = (A - j - 2) * log_room;
    // Counts whose subtree cannot reach t even with every count left on the rarest letter
    // after j. Their reach, two.llr(k) + most(j + 1, M - k), is convex in k, so they form one
    // interval: it is jumped by bisection, not walked (near a corner of the count simplex at
    // 10^5 sites it is nearly every count, at every level).
    auto short_of_reach = [&](long k, double left) {
      return most(j + 1, M - k) < left - kShortOfReach;
    };
    auto short_at = [&](long k) { return short_of_reach(k, t - two.llr(k)); };
    for (int dir = 0; dir < 2; ++dir) {
      for (long k = dir == 0 ? mode : mode + 1; k >= 0 && k <= M; k += dir == 0 ? -1 : 1) {
        const double left = t - two.llr(k);  // what the letters after j must add
        if (short_of_reach(k, left)) {
          k = last_short_of_reach(k, dir == 0 ? 0 : M, short_at);
          ++work;
          continue;
        }
        const double lw = log_w + two.log_pmf(k);
        if (lw + log_room < log_p - kNegligibleSubtree) break;
        // By the method of types, the letters left reach t' with probability at most
        // (M + 1)^(letters left - 1) e^-t': a subtree below that bound is skipped.
        if (lw + std::min(0.0, types - left) < log_p - kNegligibleSubtree) continue;
        visit(j + 1, M - k, left, lw);
        if (gave_up) return;
      }
    }
  }
};
}  // namespace

bool exact_log_tail(int N, const std::vector<double> &q, double x, long budget, double *log_p) {
  const int A = static_cast<int>(q.size());
  if (A < 2 || x - llr_tie_tolerance(x) <= 0 || N == 0) {
    *log_p = x - llr_tie_tolerance(x) <= 0 ? 0.0 : -INFINITY;
    return true;
  }
  Enumeration e;
  e.q = q;
  const double total = std::accumulate(q.begin(), q.end(), 0.0);
  for (double &v : e.q) v /= total;
  std::sort(e.q.begin(), e.q.end());
  e.rest.assign(A + 1, 0.0);
  e.rest_min.assign(A + 1, 1.0);
  for (int j = A - 1; j >= 0; --j) {
    e.rest[j] = e.rest[j + 1] + e.q[j];
    e.rest_min[j] = std::min(e.rest_min[j + 1], e.q[j]);
  }
  for (int j = 0; j + 1 < A; ++j) {
    e.log_r.push_back(std::log(e.q[j] / e.rest[j]));
    e.log_s.push_back(std::log(e.rest[j + 1] / e.rest[j]));
  }
  e.budget = budget;
  // Tables cost N logarithms: they pay for themselves when the budget allows many more steps.
  std::unique_ptr<CountTables> tables;
  if (N <= kMostTableCounts && budget >= 10L * N) {
    tables = std::make_unique<CountTables>(N);
    e.tables = tables.get();
  }
  e.visit(0, N, x, 0.0);
  if (e.gave_up) return false;
  *log_p = std::min(e.log_p, 0.0);
  return true;
}
