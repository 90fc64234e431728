// The column LLR distribution (the readable definition).
#include "stats/llr_distr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "stats/log_tables.h"

namespace {

struct Distribution {
  std::vector<double> prob;
  double alpha;
  int offset, range;
};

Distribution build(std::vector<double> &background, int N) {
  init_log();
  init_exp();
  Distribution r;
  double *p = llr_distr_plain(static_cast<int>(background.size()), background.data(), N, 200, 1.0,
                              &r.alpha, &r.offset, &r.range);
  r.prob.assign(p, p + r.range + 1);
  std::free(p);
  return r;
}

double total_probability(const Distribution &d) {
  double sum = 0;
  for (double lp : d.prob) sum += std::exp(lp);
  return sum;
}

}  // namespace

TEST(LlrDistr, TwoFairLettersTwoSites) {
  std::vector<double> bg = {0.5, 0.5};
  Distribution d = build(bg, 2);
  EXPECT_EQ(d.alpha, 200);
  EXPECT_EQ(d.offset, 0);
  ASSERT_EQ(d.range, 277);
  EXPECT_NEAR(d.prob[0], std::log(0.5), 1e-7);
  EXPECT_NEAR(d.prob[277], std::log(0.5), 1e-7);
  for (int j = 1; j < 277; ++j) EXPECT_EQ(d.prob[j], LOG_ZERO) << j;
}

TEST(LlrDistr, ZeroBackgroundLetterSetsTheScaleAndSitsAtTheTop) {
  std::vector<double> bg = {0.5, 0.5, 0.0};
  Distribution d = build(bg, 4);
  EXPECT_GT(bg[2], 0.0);
  EXPECT_LT(bg[2], 1e-199);
  EXPECT_LT(d.alpha, 200.0 / 1800);  // all four sites on it reach about 4 * 460 nats
  EXPECT_NEAR(total_probability(d), 1.0, 1e-6);
  EXPECT_GT(d.prob[0], LOG_ZERO);
  EXPECT_LT(d.prob[d.range], -1000);  // all four sites on the absent letter
}
