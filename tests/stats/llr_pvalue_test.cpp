// Column LLR p-values from the per-site-count cache, checked against exact enumeration.
#include "stats/llr_pvalue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "stats/llr_distr.h"
#include "stats/log_tables.h"

namespace {

class LlrPvalue : public ::testing::Test {
 protected:
  void SetUp() override {
    init_log();
    init_exp();
  }
  StatsCache cache;
};

// Calls visit(counts) for every vector of `alength` letter counts that add up to N.
void for_each_count_vector(int alength, int N,
                           const std::function<void(const std::vector<int> &)> &visit) {
  std::vector<int> counts(alength, 0);
  std::function<void(int, int)> next = [&](int letter, int left) {
    if (letter == alength - 1) {
      counts[letter] = left;
      visit(counts);
      return;
    }
    for (int c = 0; c <= left; ++c) {
      counts[letter] = c;
      next(letter + 1, left - c);
    }
  };
  next(0, N);
}

}  // namespace

// Each letter's LLR term is rounded to the grid of 1/alpha nats, so a column's p-value is the
// probability of the count vectors whose rounded terms reach its grid score: exact up to
// log_sum's table arithmetic at every grid score that holds a count vector, and between two
// grid scores the look-up stays between their tails.
TEST_F(LlrPvalue, MatchesTheExactLatticeTail) {
  for (const std::vector<double> &background :
       std::vector<std::vector<double>>{{0.5, 0.5},
                                        {0.8, 0.2},
                                        {0.2, 0.3, 0.5},
                                        {0.1, 0.2, 0.3, 0.4},
                                        {0.29, 0.21, 0.21, 0.29}}) {
    for (int N : {2, 7, 19, 30}) {
      freestuff(cache);
      const int A = static_cast<int>(background.size());
      std::vector<double> q = background, grid = background;
      double alpha;
      int offset, range;
      std::free(llr_distr_plain(A, grid.data(), N, 200, 1.0, &alpha, &offset, &range));
      get_llr_pv(cache, 0.0, N, 1, 200, 1.0, A, q.data());  // builds; q is now rescaled as grid is
      std::vector<double> tail(range + 2, 0.0);             // tail[i]: P(score >= offset + i)
      for_each_count_vector(A, N, [&](const std::vector<int> &c) {
        long score = 0;
        double logprob = std::lgamma(N + 1.0);
        for (int a = 0; a < A; ++a) {
          if (c[a] > 0) score += std::lround(alpha * c[a] * std::log(c[a] / (N * q[a])));
          logprob += c[a] * std::log(q[a]) - std::lgamma(c[a] + 1.0);
        }
        ASSERT_GE(score - offset, 0);
        ASSERT_LE(score - offset, range);
        tail[score - offset] += std::exp(logprob);
      });
      std::vector<bool> held(range + 1);
      for (int i = 0; i <= range; ++i) held[i] = tail[i] > 0;
      for (int i = range - 1; i >= 0; --i) tail[i] += tail[i + 1];
      int below = 0;  // the last grid score at or below i that holds a count vector
      for (int i = 0; i <= range; ++i) {
        const double at = get_llr_pv(cache, (offset + i) / alpha, N, 1, 200, 1.0, A, q.data());
        if (held[i]) {
          below = i;
          EXPECT_NEAR(at, std::log(tail[i]), 2e-6) << "A=" << A << " N=" << N << " i=" << i;
        }
        if (i == range) continue;
        int above = i + 1;
        while (!held[above]) ++above;
        const double between =
            get_llr_pv(cache, (offset + i + 0.37) / alpha, N, 1, 200, 1.0, A, q.data());
        EXPECT_LE(between, std::log(tail[below]) + 2e-6) << "A=" << A << " N=" << N << " i=" << i;
        EXPECT_GE(between, std::log(tail[above]) - 2e-6) << "A=" << A << " N=" << N << " i=" << i;
      }
      // Off the grid the look-up holds the end values.
      EXPECT_EQ(get_llr_pv(cache, -1e6, N, 1, 200, 1.0, A, q.data()),
                get_llr_pv(cache, offset / alpha, N, 1, 200, 1.0, A, q.data()));
      EXPECT_EQ(get_llr_pv(cache, 1e300, N, 1, 200, 1.0, A, q.data()),
                get_llr_pv(cache, (offset + range) / alpha, N, 1, 200, 1.0, A, q.data()));
    }
  }
}

TEST_F(LlrPvalue, HugeBackgroundFrequenciesKeepEveryLetterOnTheGrid) {
  // Beside 1e300 the 1e-200 floor of the zero letter would vanish when rescaled.
  std::vector<double> huge = {0.0, 1e300, 1e300};
  const double p = get_llr_pv(cache, 3.0, 5.0, 1, 200, 1.0, 3, huge.data());
  EXPECT_TRUE(std::isfinite(p));
  EXPECT_LE(p, 0.0);
  EXPECT_GT(huge[0], 0.0);
  EXPECT_NEAR(huge[1], 0.5, 1e-15);
}
