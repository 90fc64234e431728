// Micro-benchmarks of the column LLR distribution (fast and plain kernels, DNA and 20-letter
// protein backgrounds) and of the convolution and tail of score distributions.
//   build with -DMOTIFSIG_BENCH=ON, then: ./bench/llr_distr_bench
// The fast kernel shares its rows among every core (or OMP_NUM_THREADS); the *_1thread cases
// pin it to one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "stats/llr_distr.h"
#include "stats/llr_distr_fast.h"
#include "stats/log_tables.h"
#include "stats/score_distr.h"

namespace {

const std::vector<double> kDna = {0.29, 0.21, 0.21, 0.29};
const std::vector<double> kProtein = {0.074, 0.025, 0.054, 0.054, 0.047, 0.074, 0.026,
                                      0.068, 0.058, 0.099, 0.025, 0.045, 0.039, 0.034,
                                      0.052, 0.057, 0.051, 0.073, 0.013, 0.032};

enum class Kernel { Plain, Fast, FastOneThread };

void BM_LlrDistr(benchmark::State &state, Kernel kernel, const std::vector<double> &background,
                 int N) {
  init_log();
  init_exp();
  LlrFastOptions options;
  options.threads = kernel == Kernel::FastOneThread ? 1 : resolve_thread_count(0);
  for (auto _ : state) {
    std::vector<double> bg = background;
    double alpha;
    int offset, range;
    double *p = kernel == Kernel::Plain
                    ? llr_distr_plain(static_cast<int>(bg.size()), bg.data(), N, 200, 1.0, &alpha,
                                      &offset, &range)
                    : llr_distr_fast(static_cast<int>(bg.size()), bg.data(), N, 200, 1.0, &alpha,
                                     &offset, &range, options);
    benchmark::DoNotOptimize(p[range]);
    std::free(p);
  }
}

// The one-column DNA distribution for N sites, and its w-fold sum.
struct Distr {
  double *d;
  int range;
};

Distr column(int N, int w) {
  init_log();
  init_exp();
  std::vector<double> bg = kDna;
  double alpha;
  int offset;
  Distr one{};
  one.d = llr_distr_fast(4, bg.data(), N, 200, 1.0, &alpha, &offset, &one.range);
  Distr sum = one;
  for (int i = 2; i <= w; ++i) {
    Distr next{};
    next.d = sum_distr(sum.d, sum.range, one.d, one.range, &next.range);
    if (sum.d != one.d) std::free(sum.d);
    sum = next;
  }
  if (sum.d != one.d) std::free(one.d);
  return sum;
}

void BM_SumDistr(benchmark::State &state, int w) {
  const Distr wide = column(1000, w), one = column(1000, 1);
  for (auto _ : state) {
    int range;
    double *d = sum_distr(wide.d, wide.range, one.d, one.range, &range);
    benchmark::DoNotOptimize(d[range]);
    std::free(d);
  }
  state.counters["range"] = wide.range + one.range;
  std::free(wide.d);
  std::free(one.d);
}

void BM_Cdf(benchmark::State &state, int w) {
  const Distr distr = column(1000, w);
  for (auto _ : state) {
    double *tail = cdf(distr.d, distr.range);
    benchmark::DoNotOptimize(tail[0]);
    std::free(tail);
  }
  state.counters["range"] = distr.range;
  std::free(distr.d);
}

}  // namespace

BENCHMARK_CAPTURE(BM_LlrDistr, plain_dna_1000, Kernel::Plain, kDna, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_dna_1000, Kernel::Fast, kDna, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_dna_1000_1thread, Kernel::FastOneThread, kDna, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, plain_dna_4000, Kernel::Plain, kDna, 4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_dna_4000, Kernel::Fast, kDna, 4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_dna_4000_1thread, Kernel::FastOneThread, kDna, 4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, plain_protein_500, Kernel::Plain, kProtein, 500)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_protein_500, Kernel::Fast, kProtein, 500)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_protein_500_1thread, Kernel::FastOneThread, kProtein, 500)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, plain_protein_1000, Kernel::Plain, kProtein, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_protein_1000, Kernel::Fast, kProtein, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LlrDistr, fast_protein_1000_1thread, Kernel::FastOneThread, kProtein, 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SumDistr, one_column, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SumDistr, five_columns, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cdf, one_column, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Cdf, five_columns, 5)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
