// The column LLR distribution by dynamic programming over letters and numbers of observations,
// written plainly: this is the definition the fast kernel is tested against.
#include <cmath>
#include <cstdlib>

#include "process/cancellation.h"
#include "stats/llr_distr.h"
#include "stats/log_constants.h"
#include "stats/log_tables.h"
#include "stats/resize.h"

namespace {

template <typename T>
T **alloc_rows(int nrows, int ncols) {
  T **rows = nrows >= 1 ? static_cast<T **>(std::malloc(sizeof(T *) * nrows)) : nullptr;
  if (rows == nullptr) row_malloc_failed(1);
  for (int i = 0; i < nrows; ++i) {
    rows[i] = ncols >= 1 ? static_cast<T *>(std::malloc(sizeof(T) * ncols)) : nullptr;
    if (rows[i] == nullptr) row_malloc_failed(2);
  }
  return rows;
}

template <typename T>
void free_rows(T **rows, int nrows) {
  for (int i = 0; i < nrows; ++i) std::free(rows[i]);
  std::free(rows);
}

}  // namespace

void rescale_background(int alength, double *background) {
  double sum = 0;
  for (int a = 0; a < alength; ++a) sum += LOG_GUARD + background[a];
  for (int a = 0; a < alength; ++a) background[a] = (LOG_GUARD + background[a]) / sum;
}

LlrPrologue llr_prologue(int alength, double *background, int N, int desired_range) {
  rescale_background(alength, background);
  LlrPrologue pro;
  pro.log_n_fact = 0;
  for (int i = 2; i <= N; ++i) pro.log_n_fact += std::log(static_cast<double>(i));
  pro.p_min = 1.0;
  for (int a = 0; a < alength; ++a)
    if (background[a] < pro.p_min) pro.p_min = background[a];
  // The largest column LLR: all N letters the rarest one. The smallest is 0.
  const int max_score = round_half_away(-N * std::log(pro.p_min));
  pro.alpha = static_cast<double>(desired_range) / (max_score - 0);
  return pro;
}

double *llr_distr_plain(int alength, double *background, int N, int desired_range, double frac,
                        double *alpha, int *offset, int *range) {
  int **count_score = alloc_rows<int>(alength, N + 1);
  double **count_logp = alloc_rows<double>(alength, N + 1);
  int *minI = nullptr, *maxI = nullptr;
  Resize(minI, static_cast<long>(N) + 1, "minI", "N+1", "int");
  Resize(maxI, static_cast<long>(N) + 1, "maxI", "N+1", "int");

  double **partial = nullptr;
  const auto release = [&] {
    free_rows(count_score, alength);
    free_rows(count_logp, alength);
    if (partial != nullptr) free_rows(partial, N + 1);
    std::free(minI);
    std::free(maxI);
  };
  const LlrPrologue pro = llr_prologue(alength, background, N, desired_range);
  *alpha = pro.alpha;

  for (int n = 0; n <= N; ++n) minI[n] = maxI[n] = 0;
  // Per-letter score and log probability of k occurrences, and loose bounds of the partial
  // scores that size the work table.
  for (int a = 0; a < alength; ++a) {
    const double p = background[a];
    const double lp = std::log(LOG_GUARD + p);
    count_score[a][0] = 0;
    count_logp[a][0] = 0;
    for (int k = 1; k <= N && !cancel_requested(); ++k) {
      count_score[a][k] = round_half_away((*alpha * k) * std::log(k / (N * p)));
      count_logp[a][k] = count_logp[a][k - 1] + lp - std::log(static_cast<double>(k));
      for (int m = 1; m <= k; ++m) {
        const int low = minI[k - m] + count_score[a][m];
        const int high = maxI[k - m] + count_score[a][m];
        if (low < minI[k]) minI[k] = low;
        if (high > maxI[k]) maxI[k] = high;
      }
    }
  }
  if (cancel_requested()) {
    release();
    throw_if_cancelled();
  }
  int lo = minI[0], hi = maxI[0];
  for (int n = 1; n <= N; ++n) {
    if (minI[n] < lo) lo = minI[n];
    if (maxI[n] > hi) hi = maxI[n];
  }
  *offset = lo - 1;  // partial score s sits at column s - offset, in 1 .. hi - lo + 1

  partial = alloc_rows<double>(N + 1, hi - lo + 3);
  for (int n = 0; n <= N; ++n)
    for (int j = 0; j <= hi - lo + 1; ++j) partial[n][j] = LOG_ZERO;

  for (int n = 0; n <= N; ++n) {
    const int c = count_score[0][n] - *offset;
    partial[n][c] = count_logp[0][n] + pro.log_n_fact;
    minI[n] = maxI[n] = c;
  }
  // Rows are updated in place from the top down, so the rows below still hold the earlier
  // letters' distribution; count 0 of the new letter is what a row already holds.
  for (int a = 1; a < alength && !cancel_requested(); ++a) {
    const int n_last = a == alength - 1 ? N : 0;
    for (int n = N; n >= n_last && !cancel_requested(); --n) {
      for (int k = 1; k <= n; ++k) {
        const int lo_k = minI[n - k], hi_k = maxI[n - k];
        int top = static_cast<int>(hi_k - (hi_k - lo_k + 1) * (1 - frac));
        if (top < lo_k) top = lo_k;
        const int shift = count_score[a][k];
        const double logp = count_logp[a][k];
        for (int j = lo_k; j <= top; ++j) {
          if (partial[n - k][j] > LOG_ZERO) {
            const int t = j + shift;
            partial[n][t] = log_sum(partial[n][t], partial[n - k][j] + logp);
          }
        }
        if (lo_k + shift < minI[n]) minI[n] = lo_k + shift;
        if (hi_k + shift > maxI[n]) maxI[n] = hi_k + shift;
      }
    }
  }

  if (cancel_requested()) {
    release();
    throw_if_cancelled();
  }

  *range = maxI[N] - minI[N];
  *offset = *offset + minI[N];
  double *prob = nullptr;
  Resize(prob, static_cast<long>(*range) + 2, "prob", "*range+2", "double");
  for (int j = 0; j <= *range; ++j) prob[j] = partial[N][minI[N] + j];

  release();
  return prob;
}
