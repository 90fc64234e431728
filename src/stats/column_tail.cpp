#include "stats/column_tail.h"

#include <cmath>

namespace {
// Enumeration steps tried first (about a tenth of a second), and when the tilted readings
// never agree (seconds).
constexpr long kQuickBudget = 3000000;
constexpr long kLongBudget = 30000000;
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
  } else if (!exact_log_tail(N, q, x, kQuickBudget, &log_p)) {
    double tilted;
    used = TailMethod::tilted;
    if (!tilted_log_tail_checked(N, q, x, &tilted)) {
      used =
          exact_log_tail(N, q, x, kLongBudget, &log_p) ? TailMethod::exact : TailMethod::unchecked;
    }
    if (used != TailMethod::exact) log_p = tilted;
  }
  if (method != nullptr) *method = used;
  return log_p;
}
