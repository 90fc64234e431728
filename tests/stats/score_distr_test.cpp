// Convolution and upper tails of log-space score distributions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "stats/log_tables.h"
#include "stats/score_distr.h"

namespace {

const double kHalf = std::log(0.5), kQuarter = std::log(0.25);

std::vector<double> sum_of(std::vector<double> a, std::vector<double> b, int &range) {
  double *d = sum_distr(a.data(), static_cast<int>(a.size()) - 1, b.data(), static_cast<int>(b.size()) - 1, &range);
  std::vector<double> result(d, d + a.size() + b.size() - 1);
  std::free(d);
  return result;
}

std::vector<double> tail_of(std::vector<double> d) {
  double *t = cdf(d.data(), static_cast<int>(d.size()) - 1);
  std::vector<double> result(t, t + d.size());
  std::free(t);
  return result;
}

class ScoreDistr : public ::testing::Test {
 protected:
  void SetUp() override {
    init_log();
    init_exp();
  }
};

}  // namespace

TEST_F(ScoreDistr, PointDistributionsAddTheirScores) {
  int range;
  EXPECT_EQ(sum_of({-1.5}, {-2.25}, range), (std::vector<double>{-3.75}));
  EXPECT_EQ(range, 0);
}

TEST_F(ScoreDistr, TermsMeetingOnOneScoreCombine) {
  int range;
  std::vector<double> d = sum_of({kHalf, kHalf}, {kHalf, kHalf}, range);
  EXPECT_EQ(range, 2);
  EXPECT_EQ(d[0], kQuarter);
  EXPECT_NEAR(d[1], kHalf, 1e-7);
  EXPECT_EQ(d[2], kQuarter);
}

TEST_F(ScoreDistr, OnlyTrailingZeroProbabilitiesLowerTheRange) {
  int range;
  std::vector<double> d = sum_of({LOG_ZERO, kHalf, LOG_ZERO}, {kHalf, LOG_ZERO}, range);
  EXPECT_EQ(range, 1);
  EXPECT_EQ(d[0], LOG_ZERO);  // index 0 still stands for the sum of the two lowest scores
  EXPECT_EQ(d[1], kQuarter);
  sum_of({LOG_ZERO, LOG_ZERO}, {LOG_ZERO}, range);
  EXPECT_EQ(range, -1);
}

TEST_F(ScoreDistr, TailBridgesEmptyScoresWithAStraightLine) {
  std::vector<double> t = tail_of({kHalf, LOG_ZERO, LOG_ZERO, kHalf});
  EXPECT_EQ(t[3], kHalf);
  EXPECT_NEAR(t[0], 0.0, 1e-7);
  EXPECT_NEAR(t[1], t[0] + (t[3] - t[0]) / 3, 1e-15);
  EXPECT_NEAR(t[2], t[0] + 2 * (t[3] - t[0]) / 3, 1e-15);
  EXPECT_EQ(tail_of({-0.75}), (std::vector<double>{-0.75}));
}

TEST_F(ScoreDistr, TailOfAFullDistributionIsTheRunningSum) {
  std::vector<double> d = {std::log(0.1), std::log(0.2), std::log(0.3), std::log(0.4)};
  std::vector<double> t = tail_of(d);
  EXPECT_EQ(t[3], d[3]);
  EXPECT_EQ(t[2], log_sum(d[3], d[2]));
  EXPECT_NEAR(t[1], std::log(0.9), 1e-7);
  // The top index is an anchor even without probability.
  std::vector<double> open_top = tail_of({kHalf, kHalf, LOG_ZERO});
  EXPECT_EQ(open_top[2], LOG_ZERO);
  EXPECT_EQ(open_top[1], kHalf);
}
