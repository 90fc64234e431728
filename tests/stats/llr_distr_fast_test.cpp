// The fast column LLR kernel against the plain one, which defines it: the same bits (scale,
// offset, range, every log probability and the rescaled background) on every instruction-set
// path this processor supports and for any number of threads.
#include "stats/llr_distr_fast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "stats/llr_distr.h"
#include "stats/log_tables.h"

namespace {

struct Result {
  std::vector<double> prob, background;
  double alpha = 0;
  int offset = 0, range = 0;
};

template <typename Kernel>
Result run(Kernel kernel, std::vector<double> background, int N) {
  Result r;
  double *p = kernel(static_cast<int>(background.size()), background.data(), N, &r.alpha, &r.offset,
                     &r.range);
  r.prob.assign(p, p + r.range + 1);  // the entry past range is never set
  r.background = background;
  std::free(p);
  return r;
}

bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Every supported path, each on every given thread count, against the plain kernel, with the
// arguments the program passes (200 grid steps, whole ranges).
void expect_same_as_plain(const std::vector<double> &background, int N,
                          const std::vector<int> &threads) {
  init_log();
  init_exp();
  const Result plain =
      run([](int A, double *bg, int n, double *alpha, int *offset,
             int *range) { return llr_distr_plain(A, bg, n, 200, 1.0, alpha, offset, range); },
          background, N);
  for (LlrPath path : {LlrPath::Portable, LlrPath::Avx2}) {
    if (!llr_path_supported(path)) continue;
    for (int t : threads) {
      SCOPED_TRACE("alength " + std::to_string(background.size()) + " N " + std::to_string(N) +
                   " path " + std::to_string(static_cast<int>(path)) + " threads " +
                   std::to_string(t) + " first letter " + std::to_string(background[0]));
      const Result fast = run(
          [&](int A, double *bg, int n, double *alpha, int *offset, int *range) {
            return llr_distr_fast(A, bg, n, 200, 1.0, alpha, offset, range, {path, t, nullptr});
          },
          background, N);
      ASSERT_EQ(fast.offset, plain.offset);
      ASSERT_EQ(fast.range, plain.range);
      ASSERT_EQ(std::memcmp(&fast.alpha, &plain.alpha, sizeof(double)), 0);
      ASSERT_TRUE(same_bits(fast.background, plain.background));
      for (int j = 0; j <= plain.range; ++j)
        ASSERT_EQ(std::memcmp(&fast.prob[j], &plain.prob[j], sizeof(double)), 0)
            << "entry " << j << " is " << fast.prob[j] << ", plain " << plain.prob[j];
    }
  }
}

}  // namespace

// Uniform, skewed and count backgrounds (with a zero) of 2 to 20 letters, small and medium N.
TEST(LlrDistrFast, MatchesPlainForEveryAlphabetSizeAndBackgroundShape) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int alength = 2; alength <= 20; ++alength) {
    std::vector<double> uniform(alength, 1.0 / alength), skewed(alength), counts(alength);
    for (double &p : skewed) p = std::pow(unit(random), 3) + 0.001;
    for (double &p : counts) p = static_cast<int>(unit(random) * 50);
    counts[alength / 2] = 0;
    counts[0] += 3;
    const std::vector<int> sizes = alength <= 4   ? std::vector<int>{2, 3, 9, 70, 250}
                                   : alength <= 8 ? std::vector<int>{2, 7, 40, 120}
                                                  : std::vector<int>{2, 5, 31, 64};
    for (const std::vector<double> &background : {uniform, skewed, counts})
      for (int N : sizes) expect_same_as_plain(background, N, {1, 2});
  }
}

// Large columns are the ones shared among threads, in blocks that end inside the table.
TEST(LlrDistrFast, MatchesPlainForLargeColumnsOnAnyThreadCount) {
  expect_same_as_plain({0.29, 0.21, 0.21, 0.29}, 1203, {1, 2, 3, 8});
  expect_same_as_plain({0.3, 0.0, 0.2, 0.5}, 500, {4, 1});  // a letter that never occurs
  expect_same_as_plain({0.7, 0.3}, 4000, {1, 2});
  expect_same_as_plain({0.074, 0.025, 0.054, 0.054, 0.047, 0.074, 0.026, 0.068, 0.058, 0.099,
                        0.025, 0.045, 0.039, 0.034, 0.052, 0.057, 0.051, 0.073, 0.013, 0.032},
                       260, {1, 3});
}
