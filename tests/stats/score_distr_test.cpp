// Convolution and upper tails of log-space score distributions.
#include "stats/score_distr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "stats/log_tables.h"

namespace {

const bool kTablesReady = (init_log(), init_exp(), true);
const double kHalf = std::log(0.5), kQuarter = std::log(0.25), kZero = LOG_ZERO;

void expect_near_all(const double *got, const std::vector<double> &expected) {
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(got[i], expected[i], 1e-7) << "index " << i;
}

TEST(ScoreDistr, SumOfTwoDistributions) {
  ASSERT_TRUE(kTablesReady);
  const struct {
    std::vector<double> a, b, sum;
    int range;  // highest index with probability, -1 for none
  } cases[] = {
      {{-1.5}, {-2.25}, {-3.75}, 0},
      {{kHalf, kHalf}, {kHalf, kHalf}, {kQuarter, kHalf, kQuarter}, 2},
      // Index 0 still stands for the sum of the two lowest scores.
      {{kZero, kHalf, kZero}, {kHalf, kZero}, {kZero, kQuarter, kZero, kZero}, 1},
      {{kZero, kZero}, {kZero}, {kZero, kZero}, -1},
  };
  for (auto c : cases) {
    int range = -2;
    double *d = sum_distr(c.a.data(), static_cast<int>(c.a.size()) - 1, c.b.data(),
                          static_cast<int>(c.b.size()) - 1, &range);
    EXPECT_EQ(range, c.range);
    expect_near_all(d, c.sum);
    std::free(d);
  }
}

TEST(ScoreDistr, UpperTail) {
  const struct {
    std::vector<double> d, tail;
  } cases[] = {
      {{-0.75}, {-0.75}},
      {{std::log(0.1), std::log(0.2), std::log(0.3), std::log(0.4)},
       {0.0, std::log(0.9), std::log(0.7), std::log(0.4)}},
      // Scores without probability are bridged by a straight line between their neighbours.
      {{kHalf, kZero, kZero, kHalf}, {0.0, kHalf / 3, 2 * kHalf / 3, kHalf}},
      // The top index is an anchor even without probability.
      {{kHalf, kHalf, kZero}, {0.0, kHalf, kZero}},
  };
  for (auto c : cases) {
    double *t = cdf(c.d.data(), static_cast<int>(c.d.size()) - 1);
    expect_near_all(t, c.tail);
    std::free(t);
  }
}

}  // namespace
