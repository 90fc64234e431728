// The fast column LLR distribution. It runs the dynamic programme of llr_distr_plain with the
// same arithmetic on every cell, in the same order per cell, so its results are the same bits:
// - a destination cell receives at most one term per (letter, row n, count k), and for one row
//   the terms arrive with k ascending whatever the order of the columns, so the column loop is
//   vectorised;
// - within one letter, row n reads only rows below it, which must still hold the previous
//   letter's values. Each letter writes its rows to a second table, so the rows are
//   independent: several rows share each pass over a source row (which hides the latency of
//   log_sum) and threads share the rows;
// - each row is stored over the scores that it can actually reach, not over the loose bounds
//   of the definition, which only sized its table;
// - a term kLlrFarGap or more below its cell is skipped, as log_sum would return the cell's
//   bits unchanged.
#include "stats/llr_distr_fast.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "process/cancellation.h"
#include "stats/llr_distr.h"
#include "stats/llr_distr_fast_pass.h"
#include "stats/log_constants.h"
#include "stats/log_tables.h"
#include "stats/resize.h"

namespace {

constexpr int kPad = 3;                // entries past a row's end that a pass may touch
constexpr int kMinRowsPerThread = 96;  // fewer rows are not worth another thread
// Rows that add a letter together. The source rows of letter 1 hold one cell each, so the
// passes over them are short and each row is a chain of dependent updates: many slices
// interleaved keep more chains in flight.
constexpr int kBundleRows = 4 * kLlrGroupRows;
int bundle_rows(int a) { return a == 1 ? kBundleRows : kLlrGroupRows; }

template <typename T>
T *alloc_or_stop(size_t count) {
  void *p = std::malloc(std::max<size_t>(count, 1) * sizeof(T));
  if (p == nullptr) row_malloc_failed(2);
  return static_cast<T *>(p);
}

// The portable pass: the scalar log_sum on every cell, skipping far terms.
struct Portable {
  template <int R>
  static void pass(const double *src, int len, double *const *dst, const double *logp) {
    double *d[R];
    double lp[R];
    for (int r = 0; r < R; ++r) {
      d[r] = dst[r];
      lp[r] = logp[r];
    }
    for (int i = 0; i < len; ++i) {
      const double s = src[i];
      if (s > LOG_ZERO)
        for (int r = 0; r < R; ++r) {
          const double term = s + lp[r];
          if (!(d[r][i] - term > kLlrFarGap)) d[r][i] = log_sum(d[r][i], term);
        }
    }
  }
};

constexpr auto kPortablePasses =
    llr_pass_table<Portable>(std::make_index_sequence<kLlrGroupRows>());

void group_pass_portable(int rows, const double *src, int len, double *const *dst,
                         const double *logp) {
  kPortablePasses[rows - 1](src, len, dst, logp);
}

bool cpu_has_avx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The dynamic programme of one call. Scores are absolute scaled scores; row n is stored over
// the scores lo[n] .. hi[n] it can reach once all its letters are in, plus kPad spare entries.
struct Programme {
  int alength = 0;
  int N = 0;
  double frac = 1.0;
  int base = 0;  // the definition's column of score s is s - base (only frac < 1 needs it)
  const int *score = nullptr;             // score[a * (N + 1) + k]: scaled score of k letters a
  const int *reversed = nullptr;          // reversed[a * (N + 1) + k] = score[a * (N + 1) + N - k]
  const double *logp = nullptr;           // logp[a * (N + 1) + k]: their log probability
  const double *reversed_logp = nullptr;  // like `reversed`
  const int *lo = nullptr, *hi = nullptr;
  const size_t *start = nullptr;  // first entry of row n in `table`
  double *table = nullptr;
  int *cur_lo = nullptr, *cur_hi = nullptr;  // scores reached so far
  int *new_lo = nullptr, *new_hi = nullptr;  // spare arrays for them
  LlrGroupPass pass = nullptr;

  size_t row_size(int n) const { return static_cast<size_t>(hi[n] - lo[n] + 1 + kPad); }
  double *cell(int n, int s) const { return table + start[n] + (s - lo[n]); }

  // Last source column extended from row m, as the definition computes it from frac.
  int top(int m) const {
    if (frac == 1.0) return cur_hi[m];
    const int lo_k = cur_lo[m] - base, hi_k = cur_hi[m] - base;
    int t = static_cast<int>(hi_k - (hi_k - lo_k + 1) * (1 - frac));
    if (t < lo_k) t = lo_k;
    if (t > hi_k) t = hi_k;  // frac above 1: the columns past hi_k hold nothing
    return t + base;
  }

  // Range of row n after letter a, from the rows m = n - k below it. The scores run backwards
  // (reversed[a][N - k] = score[a][k]) so that the loop over m reads forwards and vectorises.
  void reach(int a, int n, int &nlo, int &nhi) const {
    const int *s = reversed + static_cast<size_t>(a) * (N + 1) + (N - n);  // s[m]: score of n - m
    int low = cur_lo[n], high = cur_hi[n];
    for (int m = 0; m < n; ++m) {
      low = std::min(low, cur_lo[m] + s[m]);
      high = std::max(high, cur_hi[m] + s[m]);
    }
    nlo = low;
    nhi = high;
  }

  // Adds letter a to rows n0, n0 - 1, .., n0 - rows + 1 (rows <= kBundleRows), whose cells are
  // at out[r] (laid out like row n0 - r and holding its previous values). Reads the rows
  // below n0 from `table`, which must hold the previous letter's values. Each source row is
  // passed over once per slice of kLlrGroupRows rows; the slices' passes are interleaved.
  void add_letter(int a, int n0, int rows, double *const *out) const {
    const int *s = score + static_cast<size_t>(a) * (N + 1);
    // lp[j] = logp[a][N - j]: the terms of a slice's rows, k descending, lie side by side.
    const double *lp = reversed_logp + static_cast<size_t>(a) * (N + 1);
    double *dst[kLlrGroupRows];
    // Row m is read by the rows n > m with k = n - m; m descending is k ascending.
    for (int m = n0 - 1; m >= 0; --m) {
      const int first = cur_lo[m];
      const int len = top(m) - first + 1;
      for (int r0 = 0; r0 < rows && n0 - r0 > m; r0 += kLlrGroupRows) {
        const int top_row = n0 - r0;
        const int active = std::min(std::min(rows - r0, kLlrGroupRows), top_row - m);
        const int k0 = top_row - m;  // k of the slice's first row; the next rows have k0 - 1, ..
        for (int r = 0; r < active; ++r)
          dst[r] = out[r0 + r] + (first + s[k0 - r] - lo[top_row - r]);
        pass(active, cell(m, first), len, dst, lp + (N - k0));
      }
    }
  }
};

// The definition's loose lower bound of all partial scores, which fixes its column origin.
int loose_low(int alength, int N, const int *score) {
  int *low = alloc_or_stop<int>(static_cast<size_t>(N) + 1);
  for (int n = 0; n <= N; ++n) low[n] = 0;
  for (int a = 0; a < alength; ++a) {
    const int *s = score + static_cast<size_t>(a) * (N + 1);
    for (int k = 1; k <= N; ++k)
      for (int m = 1; m <= k; ++m) low[k] = std::min(low[k], low[k - m] + s[m]);
  }
  int result = low[0];
  for (int n = 1; n <= N; ++n) result = std::min(result, low[n]);
  std::free(low);
  return result;
}

int thread_count(const LlrFastOptions &options, int N, int alength) {
  int threads = options.threads > 0 ? options.threads : 1;
  // Rows of middle letters are the shared work; a small table is not worth waking threads.
  if (alength < 3) threads = 1;
  threads = std::min(threads, std::max(1, N / kMinRowsPerThread));
  return std::max(threads, 1);
}

// Letters 1 .. alength - 2: every row n >= 1 gains the new letter. Letter a reads the table
// and ranges of parity a - 1 and writes those of parity a, so all rows of a letter are
// independent: the threads take groups of rows in turn, the costly top rows first, and wait
// for each other only at the end of each letter. The exact sizing keeps the second table
// small. On return `dp` holds the table and ranges after the last of these letters. Once the
// run is cancelled the remaining rows are counted done without being computed.
void middle_letters(Programme &dp, double *other, int threads, LlrProgress *progress) {
  if (dp.alength < 3) return;
  const int N = dp.N;
  double *const table[2] = {dp.table, other};
  int *const lo[2] = {dp.cur_lo, dp.new_lo}, *const hi[2] = {dp.cur_hi, dp.new_hi};
  std::memcpy(other + dp.start[0], dp.table + dp.start[0], dp.row_size(0) * sizeof(double));
  lo[1][0] = lo[0][0];  // row 0 never changes
  hi[1][0] = hi[0][0];
  // Per letter: bundles of rows handed out, bundles finished.
  std::vector<std::atomic<int>> taken(dp.alength), done(dp.alength);
  auto worker = [&] {
    for (int a = 1; a <= dp.alength - 2; ++a) {
      Programme v = dp;
      v.table = table[(a - 1) & 1];
      v.cur_lo = lo[(a - 1) & 1];
      v.cur_hi = hi[(a - 1) & 1];
      double *const out_table = table[a & 1];
      int *const out_lo = lo[a & 1], *const out_hi = hi[a & 1];
      const int unit = bundle_rows(a);
      const int units = (N + unit - 1) / unit;  // rows N .. 1, from the top
      for (;;) {
        const int g = taken[a].fetch_add(1, std::memory_order_relaxed);
        if (g >= units) break;
        if (cancel_requested()) {
          done[a].fetch_add(1, std::memory_order_release);
          continue;
        }
        const int n0 = N - g * unit;
        const int rows = std::min(unit, n0);
        double *out[kBundleRows];
        long work = 0;
        for (int r = 0; r < rows; ++r) {
          const int n = n0 - r;
          out[r] = out_table + v.start[n];
          std::memcpy(out[r], v.table + v.start[n], v.row_size(n) * sizeof(double));
          v.reach(a, n, out_lo[n], out_hi[n]);
          work += n;
        }
        v.add_letter(a, n0, rows, out);
        if (progress != nullptr) progress->done.fetch_add(work, std::memory_order_relaxed);
        done[a].fetch_add(1, std::memory_order_release);
      }
      // Yielding rather than spinning lets a thread that shares its core with this one (on a
      // busy machine) finish its rows sooner.
      while (done[a].load(std::memory_order_acquire) < units) std::this_thread::yield();
    }
  };
  run_on_threads(threads, worker);
  const int last = (dp.alength - 2) & 1;
  dp.table = table[last];
  dp.cur_lo = lo[last];
  dp.cur_hi = hi[last];
}

}  // namespace

bool llr_path_supported(LlrPath path) {
  switch (path) {
    case LlrPath::Auto:
    case LlrPath::Portable:
      return true;
    case LlrPath::Avx2:
      return llr_group_pass_avx2() != nullptr && cpu_has_avx2();
  }
  return false;
}

long llr_work(int alength, int N) {
  const long n = N;
  return (alength > 2 ? (alength - 2) * (n * (n + 1) / 2) : 0) + n;
}

bool llr_worth_threads(int alength, int N) { return alength >= 3 && N >= 2 * kMinRowsPerThread; }

double *llr_distr_fast(int alength, double *background, int N, int desired_range, double frac,
                       double *alpha, int *offset, int *range, const LlrFastOptions &options) {
  // Without two letters and an observation no scale can be formed; the definition says what
  // happens then.
  if (alength < 2 || N < 1)
    return llr_distr_plain(alength, background, N, desired_range, frac, alpha, offset, range);

  const LlrPrologue pro = llr_prologue(alength, background, N, desired_range);
  *alpha = pro.alpha;

  const size_t cols = static_cast<size_t>(N) + 1;
  int *score = alloc_or_stop<int>(alength * cols);
  double *logp = alloc_or_stop<double>(alength * cols);
  for (int a = 0; a < alength; ++a) {
    int *s = score + a * cols;
    double *lp = logp + a * cols;
    const double p = background[a];
    const double lp_a = std::log(LOG_GUARD + p);
    s[0] = 0;
    lp[0] = 0;
    for (int k = 1; k <= N; ++k) {
      s[k] = round_half_away((*alpha * k) * std::log(k / (N * p)));
      lp[k] = lp[k - 1] + lp_a - std::log(static_cast<double>(k));
    }
  }

  Programme dp;
  dp.alength = alength;
  dp.N = N;
  dp.frac = frac;
  dp.base = frac == 1.0 ? 0 : loose_low(alength, N, score) - 1;
  dp.score = score;
  int *reversed = alloc_or_stop<int>(alength * cols);
  for (int a = 0; a < alength; ++a)
    for (size_t k = 0; k < cols; ++k) reversed[a * cols + k] = score[a * cols + (cols - 1 - k)];
  dp.reversed = reversed;
  dp.logp = logp;
  double *reversed_logp = alloc_or_stop<double>(alength * cols);
  for (int a = 0; a < alength; ++a)
    for (size_t k = 0; k < cols; ++k) reversed_logp[a * cols + k] = logp[a * cols + (cols - 1 - k)];
  dp.reversed_logp = reversed_logp;
  int *ranges = alloc_or_stop<int>(4 * cols);
  dp.cur_lo = ranges;
  dp.cur_hi = ranges + cols;
  dp.new_lo = ranges + 2 * cols;
  dp.new_hi = ranges + 3 * cols;

  int *lo = alloc_or_stop<int>(cols);
  int *hi = alloc_or_stop<int>(cols);
  size_t *start = alloc_or_stop<size_t>(cols);
  double *tables[2] = {nullptr, nullptr};
  auto release = [&] {
    for (void *p : {static_cast<void *>(score), static_cast<void *>(reversed),
                    static_cast<void *>(reversed_logp), static_cast<void *>(logp),
                    static_cast<void *>(ranges), static_cast<void *>(lo), static_cast<void *>(hi),
                    static_cast<void *>(start), static_cast<void *>(tables[0]),
                    static_cast<void *>(tables[1])})
      std::free(p);
  };

  // The scores each row reaches: rows below N after letter alength - 2, row N after the last.
  for (int n = 0; n <= N; ++n) dp.cur_lo[n] = dp.cur_hi[n] = score[n];
  for (int a = 1; a < alength; ++a)
    for (int n = N; n >= (a == alength - 1 ? N : 1) && !cancel_requested(); --n)
      dp.reach(a, n, dp.cur_lo[n], dp.cur_hi[n]);
  if (cancel_requested()) {
    release();
    throw_if_cancelled();
  }
  size_t total = 0;
  for (int n = 0; n <= N; ++n) {
    lo[n] = dp.cur_lo[n];
    hi[n] = dp.cur_hi[n];
    start[n] = total;
    total += static_cast<size_t>(hi[n] - lo[n] + 1 + kPad);
  }
  dp.lo = lo;
  dp.hi = hi;
  dp.start = start;
  tables[0] = alloc_or_stop<double>(total);
  dp.table = tables[0];
  std::fill(dp.table, dp.table + total, LOG_ZERO);

  LlrPath path = options.path;
  if (path == LlrPath::Auto || !llr_path_supported(path))
    path = llr_path_supported(LlrPath::Avx2) ? LlrPath::Avx2 : LlrPath::Portable;
  dp.pass = path == LlrPath::Avx2 ? llr_group_pass_avx2() : group_pass_portable;

  for (int n = 0; n <= N; ++n) {
    *dp.cell(n, score[n]) = logp[n] + pro.log_n_fact;
    dp.cur_lo[n] = dp.cur_hi[n] = score[n];
  }
  if (alength > 2) {
    tables[1] = alloc_or_stop<double>(total);
    middle_letters(dp, tables[1], thread_count(options, N, alength), options.progress);
    if (cancel_requested()) {
      release();
      throw_if_cancelled();
    }
  }
  // The last letter is needed in row N only, which can be updated in place.
  {
    const int a = alength - 1;
    double *row = dp.table + dp.start[N];
    int nlo, nhi;
    dp.reach(a, N, nlo, nhi);
    dp.add_letter(a, N, 1, &row);
    dp.cur_lo[N] = nlo;
    dp.cur_hi[N] = nhi;
    if (options.progress != nullptr) options.progress->done.fetch_add(N, std::memory_order_relaxed);
  }

  *range = dp.cur_hi[N] - dp.cur_lo[N];
  *offset = dp.cur_lo[N];
  double *prob = nullptr;
  Resize(prob, static_cast<long>(*range) + 2, "prob", "*range+2", "double");
  std::memcpy(prob, dp.cell(N, dp.cur_lo[N]), (static_cast<size_t>(*range) + 1) * sizeof(double));

  release();
  return prob;
}
