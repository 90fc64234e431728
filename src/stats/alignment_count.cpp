#include "stats/alignment_count.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

#include "stats/resize.h"

namespace {

// ln of the sum over i < n of x^i / i!, in log-sum-exp form; for x so large that the direct
// series leaves the double range.
double log_series_scaled(int n, double x) {
  const double log_x = std::log(x);
  double term = 0, largest = 0;
  for (int i = 1; i < n; ++i) {
    term += log_x - std::log(static_cast<double>(i));
    if (term > largest) largest = term;
  }
  double sum = 0;
  term = 0;
  for (int i = 0; i < n; ++i) {
    if (i > 0) term += log_x - std::log(static_cast<double>(i));
    sum += std::exp(term - largest);
  }
  return std::log(sum) + largest;
}
// Sorts the length cache longest first. Sequence lengths usually span a narrow range, where
// counting them is much faster.
void sort_longest_first(int *values, int n) {
  int largest = 0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, values[i]);
  if (largest > 4 * n + 1024) {
    std::sort(values, values + n, std::greater<int>());
    return;
  }
  std::vector<int> count(static_cast<size_t>(largest) + 1, 0);
  for (int i = 0; i < n; ++i) ++count[values[i]];
  int at = 0;
  for (int value = largest; value >= 0; --value)
    for (int c = count[value]; c > 0; --c) values[at++] = value;
}
}  // namespace

double log_comb(int n, int k) {
  const int hi = k > n - k ? k : n - k;
  const int lo = k > n - k ? n - k : k;
  double result = 0;
  for (int i = n; i > hi; --i) result += std::log(static_cast<double>(i));
  for (int i = 2; i <= lo; ++i) result -= std::log(static_cast<double>(i));
  return result;
}

double get_log_nalign(StatsCache &cache, MOTYPE mtype, int w, int N, int two_strands,
                      const Dataset &dataset) {
  const int n = dataset.nseqs;
  int *&len = cache.len;
  const int strands = two_strands ? 2 : 1;
  // An empty sequence set cannot be cached: Resize reports it and stops the run.
  if (len == nullptr) {
    Resize(len, n, "len", "nseqs", "int");
    for (int i = 0; i < n; ++i) len[i] = static_cast<int>(dataset.seqs[i]->length);
    sort_longest_first(len, n);
  }
  if (mtype == Pooled) {
    // 64-bit: the pooled start positions of a large set overflow 32 bits.
    int64_t total = 0;
    for (int i = 0; i < n; ++i)
      if (len[i] >= w) total += static_cast<int64_t>(len[i]) - w + 1;
    if (N > total) return std::numeric_limits<double>::infinity();
    double s = 0;
    for (int i = 0; i < N; ++i) s += std::log(static_cast<double>(total - i) * strands / (i + 1));
    return s;
  }
  if (mtype < Pooled || mtype > PerSequenceB) return 0.0;
  // More sites than sequences, or an N-th longest sequence shorter than the motif: no N
  // distinct sequences can each hold a site.
  if (N > n || len[N - 1] < w) return std::numeric_limits<double>::infinity();
  double s = 0;
  for (int i = 0; i < N; ++i) s += std::log(static_cast<double>(int64_t{len[i] - w + 1} * strands));
  if (N < n) s += log_comb(n, N);
  return s;
}

double log_qfast(int n, double log_prod) {
  if (n == 0) return 0.0;
  double t = 1, s = 1;
  for (int i = 1; i < n; ++i) {
    t = (-log_prod / i) * t;
    s = s + t;
  }
  if (!std::isfinite(s)) return log_series_scaled(n, -log_prod) + log_prod;
  return std::log(s) + log_prod;
}

double get_log_sig(StatsCache &cache, double neg_log_product, MOTYPE mtype, int w, int N,
                   int both_strands, int palindrome, const Dataset &dataset) {
  const double lp = log_qfast(w, -neg_log_product);
  if (N == 0) return lp;
  const int two_strands = both_strands && !palindrome ? 1 : 0;
  return get_log_nalign(cache, mtype, w, N, two_strands, dataset) + lp;
}

void free_length_cache(StatsCache &cache) {
  std::free(cache.len);
  cache.len = nullptr;
}
