// Log-space arithmetic: table-based addition, and the convolution and upper tails of score
// distributions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "stats/llr_distr_fast_pass.h"
#include "stats/log_tables.h"
#include "stats/score_distr.h"

namespace {

const bool kTablesReady = (init_log(), init_exp(), true);
const double kHalf = std::log(0.5), kQuarter = std::log(0.25), kZero = LOG_ZERO;

TEST(LogSum, Cases) {
  ASSERT_TRUE(kTablesReady);
  const double z = kZero, ln2 = std::log(2.0);
  const struct {
    double a, b, expected, tolerance;
  } cases[] = {
      // Probability zero is the identity, also below LOG_ZERO.
      {-1e99, z, -1e99, 0},
      {z, -500.0, -500.0, 0},
      {-3.5, z, -3.5, 0},
      {z, 12.0, 12.0, 0},
      {z, z, z, 0},
      {-2.0, -1e101, -2.0, 0},
      // Equal terms double exactly.
      {-7.25, -7.25, -7.25 + ln2, 0},
      {0.0, 0.0, ln2, 0},
      {3.0, 3.0, 3.0 + ln2, 0},
      // A term 64 or more below the other is dropped.
      {0.0, -64.0, 0.0, 0},
      {0.0, -64.001, 0.0, 0},
      {-64.001, 0.0, 0.0, 0},
      {std::log(0.25), std::log(0.75), 0.0, 1e-7},
  };
  for (const auto &c : cases)
    EXPECT_NEAR(log_sum(c.a, c.b), c.expected, c.tolerance) << c.a << " " << c.b;
  double worst = 0;
  for (double a = -30; a <= 0; a += 0.0137)
    for (double b : {-0.3, -1.7, -9.9, -25.0})
      worst = std::fmax(worst, std::fabs(log_sum(a, b) - std::log(std::exp(a) + std::exp(b))));
  EXPECT_LT(worst, 1e-7) << "within 1e-7 of the exact sum everywhere";
  // The fast kernel skips terms from kLlrFarGap below their cell on: log_sum leaves the cell's
  // bits as they are from there on, through every table step and between steps.
  for (double gap = kLlrFarGap; gap <= 64.0; gap += 0.0005)
    for (double hi : {0.0, -3.75, -812.5, 7.0})
      ASSERT_EQ(log_sum(hi, hi - gap), hi) << "gap " << gap << " below " << hi;
}

void expect_near_all(double *got, const std::vector<double> &expected) {
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-7) << i;
  std::free(got);
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
    expect_near_all(sum_distr(c.a.data(), static_cast<int>(c.a.size()) - 1, c.b.data(),
                              static_cast<int>(c.b.size()) - 1, &range),
                    c.sum);
    EXPECT_EQ(range, c.range);
  }
}

TEST(ScoreDistr, UpperTail) {
  const std::vector<double> cases[][2] = {
      {{-0.75}, {-0.75}},
      {{std::log(0.1), std::log(0.2), std::log(0.3), std::log(0.4)},
       {0.0, std::log(0.9), std::log(0.7), std::log(0.4)}},
      // Scores without probability are bridged by a straight line between their neighbours.
      {{kHalf, kZero, kZero, kHalf}, {0.0, kHalf / 3, 2 * kHalf / 3, kHalf}},
      // The top index is an anchor even without probability.
      {{kHalf, kHalf, kZero}, {0.0, kHalf, kZero}},
  };
  for (auto &[d, t] : cases) expect_near_all(cdf(d.data(), static_cast<int>(d.size()) - 1), t);
}

}  // namespace
