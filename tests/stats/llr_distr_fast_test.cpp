// The fast column LLR kernel against the plain one, which defines it: the same bits (scale,
// offset, range, every log probability and the rescaled background) on every instruction-set
// path this processor supports and for any number of threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "stats/llr_distr.h"
#include "stats/llr_distr_fast.h"
#include "stats/log_tables.h"

namespace {

struct Result {
  std::vector<double> prob, background;
  double alpha = 0;
  int offset = 0, range = 0;
};

Result run_plain(std::vector<double> background, int N, int desired_range, double frac) {
  Result r;
  double *p = llr_distr_plain(static_cast<int>(background.size()), background.data(), N,
                              desired_range, frac, &r.alpha, &r.offset, &r.range);
  r.prob.assign(p, p + r.range + 1);  // the entry past range is never set
  r.background = background;
  std::free(p);
  return r;
}

Result run_fast(std::vector<double> background, int N, int desired_range, double frac,
                const LlrFastOptions &options) {
  Result r;
  double *p = llr_distr_fast(static_cast<int>(background.size()), background.data(), N,
                             desired_range, frac, &r.alpha, &r.offset, &r.range, options);
  r.prob.assign(p, p + r.range + 1);
  r.background = background;
  std::free(p);
  return r;
}

bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Every supported path, each on every given thread count, against the plain kernel.
void expect_same_as_plain(const std::vector<double> &background, int N,
                          const std::vector<int> &threads, int desired_range = 200,
                          double frac = 1.0) {
  init_log();
  init_exp();
  const Result plain = run_plain(background, N, desired_range, frac);
  for (LlrPath path : {LlrPath::Portable, LlrPath::Avx2}) {
    if (!llr_path_supported(path)) continue;
    for (int t : threads) {
      const Result fast = run_fast(background, N, desired_range, frac, {path, t, nullptr});
      const std::string what = "alength " + std::to_string(background.size()) + " N " +
                               std::to_string(N) + " range " + std::to_string(desired_range) +
                               " frac " + std::to_string(frac) + " path " +
                               std::to_string(static_cast<int>(path)) + " threads " +
                               std::to_string(t);
      ASSERT_EQ(fast.offset, plain.offset) << what;
      ASSERT_EQ(fast.range, plain.range) << what;
      ASSERT_EQ(std::memcmp(&fast.alpha, &plain.alpha, sizeof(double)), 0) << what;
      ASSERT_TRUE(same_bits(fast.background, plain.background)) << what;
      for (int j = 0; j <= plain.range; ++j)
        ASSERT_EQ(std::memcmp(&fast.prob[j], &plain.prob[j], sizeof(double)), 0)
            << what << ": entry " << j << " is " << fast.prob[j] << ", plain " << plain.prob[j];
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
    const std::vector<int> sizes = alength <= 4   ? std::vector<int>{1, 2, 3, 9, 70, 250}
                                   : alength <= 8 ? std::vector<int>{1, 2, 7, 40, 120}
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

TEST(LlrDistrFast, MatchesPlainForOtherRangesAndFractions) {
  const std::vector<double> dna = {2, 1, 1, 3};  // rescaled in place
  for (int desired_range : {1, 37, 1000})
    for (int N : {2, 25, 160}) expect_same_as_plain(dna, N, {1, 2}, desired_range);
  for (double frac : {0.0, 0.1, 0.5, 0.93})
    for (int N : {2, 13, 140}) {
      expect_same_as_plain(dna, N, {1, 2}, 200, frac);
      expect_same_as_plain({0.05, 0.15, 0.3, 0.1, 0.4}, N, {2}, 200, frac);
    }
}
