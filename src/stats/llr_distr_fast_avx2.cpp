// The AVX2 inner loop of the fast column LLR distribution. Only functions marked with the
// AVX2 target use the wider instructions, so the rest of the program runs on any x86-64; FMA
// is never enabled, so every product and sum is rounded on its own as in log_sum.
#include "stats/llr_distr_fast_pass.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

#include <cmath>

#include "stats/log_tables.h"

#define LLR_AVX2 __attribute__((target("avx2")))

namespace {

// Four interpolating look-ups: (table[i + 1] - table[i]) * (x - i) + table[i] for i = x
// truncated, as exp_lookup and log_lookup compute them. The two neighbours of a lane come in one
// 16-byte load: gathers are slow on this hardware, and a table of precomputed differences
// (the same bits) doubles what the cache must hold and ran slower.
LLR_AVX2 inline __m256d lookup4(const double *table, __m256d x) {
  const __m128i idx = _mm256_cvttpd_epi32(x);  // 0 <= x <= 200000
  const unsigned long long i01 = static_cast<unsigned long long>(_mm_cvtsi128_si64(idx));
  const unsigned long long i23 = static_cast<unsigned long long>(_mm_extract_epi64(idx, 1));
  const unsigned i[4] = {static_cast<unsigned>(i01), static_cast<unsigned>(i01 >> 32),
                         static_cast<unsigned>(i23), static_cast<unsigned>(i23 >> 32)};
  // x - i, with i = x truncated to an integer, which vroundpd gives exactly.
  const __m256d frac = _mm256_sub_pd(x, _mm256_round_pd(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
  const __m128d p0 = _mm_loadu_pd(table + i[0]);
  const __m128d p1 = _mm_loadu_pd(table + i[1]);
  const __m128d p2 = _mm_loadu_pd(table + i[2]);
  const __m128d p3 = _mm_loadu_pd(table + i[3]);
  const __m256d even = _mm256_insertf128_pd(_mm256_castpd128_pd256(p0), p2, 1);
  const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(p1), p3, 1);
  const __m256d value = _mm256_unpacklo_pd(even, odd);  // table[i] of lanes 0, 1, 2, 3
  const __m256d next = _mm256_unpackhi_pd(even, odd);   // table[i + 1]
  return _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(next, value), frac), value);
}

// The first look-up's steps for a difference a - b of two terms: 1000 per nat of the gap
// |a - b| (the same bits as (lo - hi) * -1000), clamped at kLlrFarGap, where log_sum gives
// hi + log_lookup(1) = hi as it does for every gap beyond.
LLR_AVX2 inline __m256d exp_steps(__m256d diff) {
  const __m256d gap = _mm256_andnot_pd(_mm256_set1_pd(-0.0), diff);
  return _mm256_min_pd(_mm256_mul_pd(gap, _mm256_set1_pd(1000.0)),
                       _mm256_set1_pd(kLlrFarGap * 1000.0));
}

// The second look-up's steps: 1 + exp_lookup(lo - hi), 100000 per unit.
LLR_AVX2 inline __m256d log_steps(__m256d e) {
  return _mm256_mul_pd(_mm256_add_pd(_mm256_set1_pd(1.0), e), _mm256_set1_pd(100000.0));
}

// log_sum(acc, s + logp[r]) for the R rows, stage by stage, so that the R independent chains
// sit side by side in the instruction stream and their latencies overlap. The results are the
// scalar code's bits:
// - a source cell that the scalar code skips (at or below LOG_ZERO, or past `len`) becomes -inf,
//   whose term loses to any cell value and leaves it unchanged;
// - maxpd picks hi exactly as the comparison a > b does, and hi - lo is |a - b| exactly;
// - a gap past kLlrFarGap (an infinite one too) is clamped to it, where log_sum gives
//   hi + log_lookup(1) = hi, as it does for every gap from there to infinity;
// - the test lo <= LOG_ZERO can be left out: then either the gap is far as well, or it is
//   below the spacing of doubles near -1e100, so hi = lo and adding log 2 leaves it unchanged.
// When every term of a step is far below its cell, the step changes nothing and is skipped.
struct Avx2 {
  template <int R>
  LLR_AVX2 static void pass(const double *src, int len, double *const *dst, const double *logp) {
    double *d[R];
    __m256d lp[R];
    for (int r = 0; r < R; ++r) {
      d[r] = dst[r];
      lp[r] = _mm256_set1_pd(logp[r]);
    }
    const __m256i lanes = _mm256_set_epi64x(3, 2, 1, 0);
    const __m256d minus_inf = _mm256_set1_pd(-HUGE_VAL);
    const __m256d far = _mm256_set1_pd(kLlrFarGap);
    for (int i = 0; i < len; i += 4) {
      __m256d s = _mm256_loadu_pd(src + i);
      __m256d skip = _mm256_cmp_pd(s, _mm256_set1_pd(LOG_ZERO), _CMP_NGT_UQ);
      if (len - i < 4)
        skip = _mm256_or_pd(
            skip, _mm256_castsi256_pd(_mm256_cmpgt_epi64(lanes, _mm256_set1_epi64x(len - i - 1))));
      s = _mm256_blendv_pd(s, minus_inf, skip);
      __m256d a[R], b[R], diff[R], hi[R], t[R];
      __m256d unchanged = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
#pragma GCC unroll 16
      for (int r = 0; r < R; ++r) {
        a[r] = _mm256_loadu_pd(d[r] + i);
        b[r] = _mm256_add_pd(s, lp[r]);
        diff[r] = _mm256_sub_pd(a[r], b[r]);
        unchanged = _mm256_and_pd(unchanged, _mm256_cmp_pd(diff[r], far, _CMP_GT_OQ));
      }
      if (_mm256_movemask_pd(unchanged) == 0xF) continue;
#pragma GCC unroll 16
      for (int r = 0; r < R; ++r) {
        hi[r] = _mm256_max_pd(a[r], b[r]);  // a > b ? a : b
        t[r] = exp_steps(diff[r]);
      }
#pragma GCC unroll 16
      for (int r = 0; r < R; ++r) t[r] = log_steps(lookup4(exp_table, t[r]));
#pragma GCC unroll 16
      for (int r = 0; r < R; ++r)
        _mm256_storeu_pd(d[r] + i, _mm256_add_pd(lookup4(log_table, t[r]), hi[r]));
    }
  }
};

constexpr auto kPasses = llr_pass_table<Avx2>(std::make_index_sequence<kLlrGroupRows>());

// A source row of one cell (every row before the second letter is in): its term goes to one
// cell of each destination row, so the lanes hold the rows rather than columns. Missing rows
// get a -inf term on a spare cell.
LLR_AVX2 inline void single_cell_chunk(double s, double *const *d, __m256d lp) {
  const __m256d a = _mm256_set_pd(*d[3], *d[2], *d[1], *d[0]);
  const __m256d b = _mm256_add_pd(_mm256_set1_pd(s), lp);
  const __m256d hi = _mm256_max_pd(a, b);
  const __m256d u = log_steps(lookup4(exp_table, exp_steps(_mm256_sub_pd(a, b))));
  const __m256d sum = _mm256_add_pd(lookup4(log_table, u), hi);
  const __m128d low = _mm256_castpd256_pd128(sum), high = _mm256_extractf128_pd(sum, 1);
  _mm_storel_pd(d[0], low);
  _mm_storeh_pd(d[1], low);
  _mm_storel_pd(d[2], high);
  _mm_storeh_pd(d[3], high);
}

LLR_AVX2 void single_cell_pass(int rows, double s, double *const *dst, const double *logp) {
  if (!(s > LOG_ZERO)) return;
  int r = 0;
  for (; r + 4 <= rows; r += 4) single_cell_chunk(s, dst + r, _mm256_loadu_pd(logp + r));
  if (r == rows) return;
  // The last rows, with -inf terms on a spare cell for the missing ones.
  double spare[4] = {LOG_ZERO, LOG_ZERO, LOG_ZERO, LOG_ZERO};
  alignas(32) double lp[4];
  double *cell[4];
  for (int j = 0; j < 4; ++j) {
    cell[j] = r + j < rows ? dst[r + j] : &spare[j];
    lp[j] = r + j < rows ? logp[r + j] : -HUGE_VAL;
  }
  single_cell_chunk(s, cell, _mm256_load_pd(lp));
}

void group_pass_avx2(int rows, const double *src, int len, double *const *dst, const double *logp) {
  if (len == 1)
    single_cell_pass(rows, src[0], dst, logp);
  else
    kPasses[rows - 1](src, len, dst, logp);
}

}  // namespace

LlrGroupPass llr_group_pass_avx2() { return group_pass_avx2; }

#else

LlrGroupPass llr_group_pass_avx2() { return nullptr; }

#endif
