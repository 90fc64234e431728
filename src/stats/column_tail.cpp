#include "stats/column_tail.h"

#include <algorithm>
#include <cmath>

const char *tail_route_name(TailRoute route) {
  switch (route) {
    case TailRoute::certain:
      return "certain";
    case TailRoute::two_letters:
      return "two-letter binomial sum";
    case TailRoute::enumeration:
      return "exact enumeration";
    case TailRoute::fine_lattice:
      return "fine lattice";
    case TailRoute::tilted:
      return "tilted FFT reading";
  }
  return "?";
}

namespace {
// Never an infinite or undefined p-value: a reading that failed outright counts as p = 1,
// which can only understate a motif's significance, and is reported as unchecked.
ColumnTail settle(ColumnTail tail) {
  if (!std::isfinite(tail.log_p) || tail.log_p > 0) {
    tail.log_p = 0;
    tail.checked = false;
  }
  return tail;
}
}  // namespace

ColumnTail column_tail(int N, const std::vector<double> &q, double x,
                       const TailSettings &settings) {
  ColumnTail out;
  const int A = static_cast<int>(q.size());
  if (A < 2 || N < 1 || x - llr_tie_tolerance(x) <= 0) return out;
  if (A == 2) {
    const double total = q[0] + q[1];
    out.log_p = binomial_llr_log_tail(N, q[0] / total, q[1] / total, x);
    out.route = TailRoute::two_letters;
    return out;
  }
  out.route = TailRoute::enumeration;
  const long first_steps = A <= 4 && N <= settings.small_sites
                               ? std::max(settings.quick_steps, settings.small_site_steps)
                               : settings.quick_steps;
  if (exact_log_tail(N, q, x, first_steps, &out.log_p)) return out;
  if (A >= 5 && N <= settings.fine_lattice_sites) {
    out.route = TailRoute::fine_lattice;
    if (fine_lattice_log_tail_checked(N, q, x, &out.log_p, settings)) return out;
    // The lattices never agreed, or would not fit (NaN): the tilted reading when it settles,
    // or when there is no lattice reading to keep.
    const TiltedReading tilted = tilted_log_tail_checked(N, q, x, settings);
    if (tilted.settled || std::isnan(out.log_p)) {
      out.log_p = tilted.log_p;
      out.route = TailRoute::tilted;
    }
    out.checked = tilted.settled;
    return settle(out);
  }
  const TiltedReading tilted = tilted_log_tail_checked(N, q, x, settings);
  // Readings that never agree get a long enumeration where it may finish: with 2-4 letters
  // always (they settle least near a corner, where the enumeration jumps nearly every count),
  // with more where its N^(A-2) steps fit the budget. With few letters a face of the count simplex
  // makes the tilted law lumpy where it is read, even when its readings agree: a shorter one then,
  // unless the long one runs anyway (with more letters, the others smooth a rare one out).
  const bool long_run =
      !tilted.settled && (A <= 4 || std::pow(N + 1.0, A - 2) <= settings.long_steps);
  const bool face = A <= 4 && tilted.face && tilted.v >= 1;
  const long steps = long_run ? settings.long_steps : face ? settings.face_steps : 0;
  if (steps > 0 && exact_log_tail(N, q, x, steps, &out.log_p)) return out;
  out.log_p = tilted.log_p;
  out.route = TailRoute::tilted;
  out.checked = tilted.settled;
  return settle(out);
}
