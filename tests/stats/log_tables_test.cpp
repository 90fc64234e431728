// Table-based log-space addition.
#include "stats/log_tables.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LogSum, Cases) {
  init_log();
  init_exp();
  const double z = LOG_ZERO, ln2 = std::log(2.0);
  const struct {
    double a, b, expected, tolerance;
  } cases[] = {
      // Probability zero is the identity, also below LOG_ZERO.
      {-1e99, z, -1e99, 0}, {z, -500.0, -500.0, 0}, {-3.5, z, -3.5, 0}, {z, 12.0, 12.0, 0},
      {z, z, z, 0}, {-2.0, -1e101, -2.0, 0},
      // Equal terms double exactly.
      {-7.25, -7.25, -7.25 + ln2, 0}, {0.0, 0.0, ln2, 0}, {3.0, 3.0, 3.0 + ln2, 0},
      // A term 64 or more below the other is dropped.
      {0.0, -64.0, 0.0, 0}, {0.0, -64.001, 0.0, 0}, {-64.001, 0.0, 0.0, 0},
      {std::log(0.25), std::log(0.75), 0.0, 1e-7},
  };
  for (const auto &c : cases)
    EXPECT_NEAR(log_sum(c.a, c.b), c.expected, c.tolerance) << c.a << " " << c.b;
  double worst = 0;
  for (double a = -30; a <= 0; a += 0.0137)
    for (double b : {-0.3, -1.7, -9.9, -25.0})
      worst = std::fmax(worst, std::fabs(log_sum(a, b) - std::log(std::exp(a) + std::exp(b))));
  EXPECT_LT(worst, 1e-7) << "within 1e-7 of the exact sum everywhere";
}
