// Table-based log-space addition.
#include <gtest/gtest.h>

#include <cmath>

#include "stats/log_tables.h"

class LogSum : public ::testing::Test {
 protected:
  void SetUp() override {
    init_log();
    init_exp();
  }
};

TEST_F(LogSum, ZeroProbabilityIsTheIdentity) {
  for (double x : {-1e99, -500.0, -3.5, 0.0, 12.0}) {
    EXPECT_EQ(log_sum(x, LOG_ZERO), x);
    EXPECT_EQ(log_sum(LOG_ZERO, x), x);
  }
  EXPECT_EQ(log_sum(LOG_ZERO, LOG_ZERO), LOG_ZERO);
  EXPECT_EQ(log_sum(-2.0, -1e101), -2.0);  // below LOG_ZERO counts as zero too
}

TEST_F(LogSum, EqualTermsDoubleExactly) {
  for (double x : {-7.25, -0.5, 0.0, 3.0}) EXPECT_EQ(log_sum(x, x), x + std::log(2.0));
}

TEST_F(LogSum, SmallTermIsDroppedBeyondTheTable) {
  EXPECT_EQ(log_sum(0.0, -64.0), 0.0);
  EXPECT_EQ(log_sum(0.0, -64.001), 0.0);
  EXPECT_EQ(log_sum(-64.001, 0.0), 0.0);
}

TEST_F(LogSum, StaysWithinTenToTheMinusSevenOfTheExactSum) {
  EXPECT_NEAR(log_sum(std::log(0.25), std::log(0.75)), 0.0, 1e-7);
  double worst = 0;
  for (double a = -30; a <= 0; a += 0.0137)
    for (double b : {-0.3, -1.7, -9.9, -25.0}) {
      const double exact = std::log(std::exp(a) + std::exp(b));
      worst = std::fmax(worst, std::fabs(log_sum(a, b) - exact));
    }
  EXPECT_LT(worst, 1e-7);
}

TEST_F(LogSum, SecondInitialisationChangesNothing) {
  const double before_log = log_table[123456], before_exp = exp_table[4321];
  log_table[123456] = 5;
  exp_table[4321] = 5;
  init_log();
  init_exp();
  EXPECT_EQ(log_table[123456], 5);
  EXPECT_EQ(exp_table[4321], 5);
  log_table[123456] = before_log;
  exp_table[4321] = before_exp;
  EXPECT_EQ(exp_table[0], 1.0);
  EXPECT_EQ(log_table[100000], 0.0);
}
