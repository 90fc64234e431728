#include "stats/score_distr.h"

#include "stats/log_tables.h"
#include "stats/resize.h"

double *sum_distr(const double *d1, int r1, const double *d2, int r2, int *new_range) {
  const int range = r1 + r2;
  double *d_sum = nullptr;
  Resize(d_sum, static_cast<long>(range) + 1, "d_sum", "range+1", "double");
  for (int i = 0; i <= range; ++i) d_sum[i] = LOG_ZERO;
  // i outer, j inner, both ascending, accumulator first: log_sum is approximate, so this
  // order fixes the last bits.
  for (int i = 0; i <= r1; ++i) {
    if (d1[i] == LOG_ZERO) continue;
    for (int j = 0; j <= r2; ++j) {
      if (d2[j] == LOG_ZERO) continue;
      d_sum[i + j] = log_sum(d_sum[i + j], d1[i] + d2[j]);
    }
  }
  int k = range;
  while (k >= 0 && !(d_sum[k] > LOG_ZERO)) --k;
  *new_range = k;
  return d_sum;
}

double *cdf(const double *d, int r) {
  double *tail = nullptr;
  Resize(tail, static_cast<long>(r) + 1, "cdf", "r+1", "double");
  tail[r] = d[r];
  for (int i = r - 1; i >= 0; --i) tail[i] = log_sum(tail[i + 1], d[i]);
  // Replace each flat run over zero-probability scores by the line joining its two anchors.
  int i = r;
  while (i > 0) {
    int j = i - 1;
    while (j > 0 && d[j] == LOG_ZERO) --j;
    const double slope = (tail[i] - tail[j]) / (i - j);
    for (int k = j + 1; k < i; ++k) tail[k] = tail[j] + (k - j) * slope;
    i = j;
  }
  return tail;
}
