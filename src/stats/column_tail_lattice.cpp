#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "process/cancellation.h"
#include "stats/column_tail.h"

namespace {
// One count's share of a letter: its deviance D = k ln(k / lambda) - k + lambda on the grid,
// and ln of its Poisson(lambda) probability.
struct Step {
  long bin;
  double log_w;
};

// The rows of the lattice: for each count c of the letters so far, the mass of every grid
// score below the threshold (live; zero below first[c], where the threshold is out of reach),
// scaled by e^scale, and the mass at or above it (reached).
struct Rows {
  std::vector<std::vector<double>> live;
  std::vector<double> reached, scale;
  std::vector<long> first;
  explicit Rows(long N, long bins)
      : live(N + 1, std::vector<double>(bins, 0.0)),
        reached(N + 1, 0.0),
        scale(N + 1, -INFINITY),
        first(N + 1, 0) {}
};
}  // namespace

double fine_lattice_log_tail(int N, const std::vector<double> &q, double x, double h) {
  const int A = static_cast<int>(q.size());
  const double total = std::accumulate(q.begin(), q.end(), 0.0);
  // Scores are sums of the letters' deviances, each rounded to the nearest step; a column
  // reaches x when its grid score does.
  const long threshold = std::max<long>(1, std::lround((x - llr_tie_tolerance(x)) / h));
  std::vector<std::vector<Step>> steps(A);
  std::vector<double> lambda(A);
  for (int a = 0; a < A; ++a) {
    lambda[a] = N * (q[a] / total);
    const double log_lambda = std::log(lambda[a]);
    for (long k = 0; k <= N; ++k) {
      const double d =
          std::max(0.0, (k > 0 ? k * (std::log(double(k)) - log_lambda) : 0.0) - k + lambda[a]);
      steps[a].push_back({std::lround(d / h), -lambda[a] + k * log_lambda - std::lgamma(k + 1.0)});
    }
  }
  // Most the letters after a can add with m counts: all of them on one letter.
  auto most_after = [&](int a, long m) {
    double rest = 0, best = 0;
    for (int b = a + 1; b < A; ++b) rest += lambda[b];
    for (int b = a + 1; b < A; ++b) {
      const double d = (m > 0 ? m * std::log(m / lambda[b]) : 0.0) - m + lambda[b];
      best = std::max(best, d + rest - lambda[b]);
    }
    return best;
  };
  Rows rows(N, threshold), next(N, threshold);
  rows.live[0][0] = 1;
  rows.scale[0] = 0;
  for (int a = 0; a < A; ++a) {
    const bool last = a == A - 1;
    for (long c = 0; c <= N; ++c) {
      std::fill(next.live[c].begin(), next.live[c].end(), 0.0);
      next.reached[c] = 0;
      next.scale[c] = -INFINITY;
    }
    // The scale of each new row: its largest contribution.
    for (long c = 0; c <= N; ++c) {
      if (rows.scale[c] == -INFINITY) continue;
      for (long k = last ? N - c : 0; k <= N - c; ++k)
        next.scale[c + k] = std::max(next.scale[c + k], rows.scale[c] + steps[a][k].log_w);
    }
    std::vector<double> above(threshold + 1);  // above[b]: the row's mass at scores b and up
    for (long c = 0; c <= N; ++c) {
      if (rows.scale[c] == -INFINITY) continue;
      const std::vector<double> &from = rows.live[c];
      const long first = rows.first[c];
      above[threshold] = rows.reached[c];
      for (long b = threshold - 1; b >= first; --b) above[b] = above[b + 1] + from[b];
      for (long k = last ? N - c : 0; k <= N - c; ++k) {
        const double factor = std::exp(rows.scale[c] + steps[a][k].log_w - next.scale[c + k]);
        if (!(factor > 1e-300)) continue;
        const long shift = std::min(steps[a][k].bin, threshold);
        next.reached[c + k] += factor * above[std::max(first, threshold - shift)];
        double *to = next.live[c + k].data() + shift;
        for (long b = first; b < threshold - shift; ++b) to[b] += factor * from[b];
      }
    }
    // Scores that cannot reach the threshold with the counts left are dropped; each row is
    // brought back to a largest entry of 1.
    for (long c = 0; c <= N; ++c) {
      if (next.scale[c] == -INFINITY) continue;
      std::vector<double> &row = next.live[c];
      next.first[c] = 0;
      if (!last) {
        const long floor_bin =
            threshold - static_cast<long>(std::ceil(most_after(a, N - c) / h)) - (A - 1 - a);
        next.first[c] = std::clamp(floor_bin, 0L, threshold);
        std::fill(row.begin(), row.begin() + next.first[c], 0.0);
      }
      const double top = std::max(next.reached[c], *std::max_element(row.begin(), row.end()));
      if (!(top > 0)) {
        next.scale[c] = -INFINITY;
        continue;
      }
      for (double &v : row) v /= top;
      next.reached[c] /= top;
      next.scale[c] += std::log(top);
    }
    std::swap(rows, next);
  }
  if (!(rows.reached[N] > 0)) return -INFINITY;
  const double log_pois_N = -N + N * std::log(double(N)) - std::lgamma(N + 1.0);
  return std::min(0.0, rows.scale[N] + std::log(rows.reached[N]) - log_pois_N);
}

bool fine_lattice_log_tail_checked(int N, const std::vector<double> &q, double x, double *log_p,
                                   const TailSettings &settings) {
  // Two rows of (N + 1) x (x / h) doubles: past most_lattice_cells a finer lattice is not tried.
  auto fits = [&](double h) { return (N + 1.0) * (x / h + 1) <= settings.most_lattice_cells; };
  *log_p = NAN;
  if (!fits(settings.first_lattice_step)) return false;
  double previous = *log_p = fine_lattice_log_tail(N, q, x, settings.first_lattice_step);
  for (double h = settings.first_lattice_step / 2; h >= settings.finest_lattice_step && fits(h);
       h /= 2) {
    throw_if_cancelled();
    *log_p = fine_lattice_log_tail(N, q, x, h);
    if (std::fabs(*log_p - previous) <= settings.agreement) return true;
    previous = *log_p;
  }
  return false;
}
