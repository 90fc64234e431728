// Column LLR p-values from the per-site-count cache, checked against exact enumeration.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "stats/llr_pvalue.h"
#include "stats/log_tables.h"

namespace {

class LlrPvalue : public ::testing::Test {
 protected:
  void SetUp() override {
    init_log();
    init_exp();
    freestuff();
  }
  void TearDown() override { freestuff(); }
  double pv(double x, double n, int w = 1) { return get_llr_pv(x, n, w, 200, 1.0, 4, bg.data()); }
  std::vector<double> bg = {0.25, 0.25, 0.25, 0.25};
};

// Every count vector of N letters over `alength` letters.
void for_each_count_vector(int alength, int N, std::vector<int> &counts, int letter, int left,
                           const std::function<void(const std::vector<int> &)> &visit) {
  if (letter == alength - 1) {
    counts[letter] = left;
    visit(counts);
    return;
  }
  for (int c = 0; c <= left; ++c) {
    counts[letter] = c;
    for_each_count_vector(alength, N, counts, letter + 1, left - c, visit);
  }
}

struct Outcome {
  double llr;   // nats, exact
  double prob;  // multinomial probability under the background
};

std::vector<Outcome> enumerate_column(const std::vector<double> &p, int N) {
  std::vector<Outcome> outcomes;
  std::vector<int> counts(p.size());
  for_each_count_vector(static_cast<int>(p.size()), N, counts, 0, N, [&](const std::vector<int> &c) {
    double llr = 0, logprob = std::lgamma(N + 1.0);
    for (size_t a = 0; a < p.size(); ++a) {
      if (c[a] > 0) llr += c[a] * std::log(c[a] / (N * p[a]));
      logprob += c[a] * std::log(p[a]) - std::lgamma(c[a] + 1.0);
    }
    outcomes.push_back({llr, std::exp(logprob)});
  });
  return outcomes;
}

double tail(const std::vector<Outcome> &outcomes, double x) {
  double sum = 0;
  for (const Outcome &o : outcomes)
    if (o.llr >= x) sum += o.prob;
  return sum;
}

}  // namespace

TEST_F(LlrPvalue, FewerThanTwoSitesOrNoColumnsGiveProbabilityOne) {
  EXPECT_EQ(pv(5.0, 1.0), 0.0);
  EXPECT_EQ(pv(5.0, 0.5), 0.0);
  EXPECT_EQ(cached_distr(0), nullptr);  // the table was not touched
  EXPECT_EQ(pv(5.0, 4.0, 0), 0.0);
  ASSERT_NE(cached_distr(4), nullptr);  // but a width-0 request still grows it
  EXPECT_EQ(cached_distr(4)->maxw, 0);
  EXPECT_EQ(cached_distr(5), nullptr);
}

TEST_F(LlrPvalue, FractionalSiteCountsInterpolateBetweenNeighbours) {
  const double two = pv(3.0, 2.0), three = pv(3.0, 3.0);
  EXPECT_EQ(pv(3.0, 2.5), 0.5 * two + 0.5 * three);
  EXPECT_EQ(pv(3.0, 1.5), 0.5 * two);
}

TEST_F(LlrPvalue, LookupClampsAndInterpolatesOnTheGrid) {
  pv(0.0, 10.0);
  const DISTR &rec = *cached_distr(10);
  const int top = rec.range[1];
  EXPECT_EQ(pv(-100.0, 10.0), rec.cdf[1][0]);
  EXPECT_EQ(pv((rec.offset[1] + top) / rec.alpha + 50, 10.0), rec.cdf[1][top]);
  EXPECT_EQ(pv(1e300, 10.0), rec.cdf[1][top]);
  const double on_grid = (rec.offset[1] + 7) / rec.alpha;
  if (rec.alpha * on_grid - rec.offset[1] == 7.0) {
    EXPECT_EQ(pv(on_grid, 10.0), rec.cdf[1][7]);
  }
  const double between = (rec.offset[1] + 7.25) / rec.alpha;
  const double value = pv(between, 10.0);
  EXPECT_GE(value, std::min(rec.cdf[1][7], rec.cdf[1][8]));
  EXPECT_LE(value, std::max(rec.cdf[1][7], rec.cdf[1][8]));
}

TEST_F(LlrPvalue, CacheIsBuiltOncePerSiteCountAndWidensIncrementally) {
  bg = {0.3, 0.3, 0.3, 0.3};
  const double first = pv(4.0, 6.0);
  EXPECT_EQ(bg[0], 0.25);  // rescaled while building
  const DISTR *rec = cached_distr(6);
  const double *one_column = rec->d[1];
  // Same count, another background: served from the record, background untouched.
  bg = {0.7, 0.1, 0.1, 0.1};
  EXPECT_EQ(pv(4.0, 6.0), first);
  EXPECT_EQ(bg[0], 0.7);
  // Wider: narrower widths are reused, offsets add.
  pv(4.0, 6.0, 3);
  rec = cached_distr(6);
  EXPECT_EQ(rec->maxw, 3);
  EXPECT_EQ(rec->d[1], one_column);
  EXPECT_EQ(rec->offset[3], 3 * rec->offset[1]);
  EXPECT_LE(rec->range[3], 3 * rec->range[1]);
  // A larger count grows the table and leaves the built record as it was.
  pv(4.0, 9.0);
  EXPECT_EQ(cached_distr(6)->d[1], one_column);
  EXPECT_EQ(cached_distr(8)->maxw, 0);
}

// The lattice puts each letter's LLR term on a grid of 1/alpha nats, rounded to the nearest
// step, so a column's grid score is within A/2 steps of its exact LLR (A letters). At a grid
// score that carries probability the p-value is therefore bracketed by the exact tails at that
// score plus and minus A/2 steps. Between such scores the look-up interpolates within one step
// and the tail table bridges scores without probability, so there the bracket widens to one
// step above x and, below, to A steps under the largest exact LLR at or below
// x - (1 + A/2)/alpha. 1e-5 relative slack covers log_sum's table arithmetic.
TEST_F(LlrPvalue, AgreesWithExactEnumerationWithinTheGrid) {
  const std::vector<std::vector<double>> backgrounds = {
      {0.5, 0.5}, {0.8, 0.2}, {0.2, 0.3, 0.5}, {0.25, 0.25, 0.25, 0.25}, {0.1, 0.2, 0.3, 0.4}, {0.29, 0.21, 0.21, 0.29}};
  double worst_log_error = 0;
  for (const std::vector<double> &background : backgrounds) {
    for (int N : {2, 3, 5, 8, 13, 21, 30}) {
      freestuff();
      std::vector<double> q = background;
      const int A = static_cast<int>(q.size());
      get_llr_pv(0.0, N, 1, 200, 1.0, A, q.data());  // builds the record, rescales q
      const DISTR &rec = *cached_distr(N);
      const std::vector<Outcome> outcomes = enumerate_column(q, N);
      const double half = A / 2.0 / rec.alpha;  // rounding, in nats
      for (int i = 0; i <= rec.range[1]; ++i) {
        if (rec.d[1][i] <= LOG_ZERO) continue;
        const double x = (rec.offset[1] + i) / rec.alpha;
        const double p = std::exp(get_llr_pv(x, N, 1, 200, 1.0, A, q.data()));
        const double lower = tail(outcomes, x + half), upper = tail(outcomes, x - half);
        EXPECT_GE(p, lower * (1 - 1e-5)) << "A=" << A << " N=" << N << " x=" << x;
        EXPECT_LE(p, upper * (1 + 1e-5)) << "A=" << A << " N=" << N << " x=" << x;
        const double exact = tail(outcomes, x);
        if (exact > 0) worst_log_error = std::max(worst_log_error, std::fabs(std::log(p) - std::log(exact)));
      }
      double max_llr = 0;
      for (const Outcome &o : outcomes) max_llr = std::max(max_llr, o.llr);
      const double margin = 1 / rec.alpha + half;
      for (int step = 0; step <= 400; ++step) {
        const double x = max_llr * step / 380.0;
        const double p = std::exp(get_llr_pv(x, N, 1, 200, 1.0, A, q.data()));
        double m = -1;
        for (const Outcome &o : outcomes)
          if (o.llr <= x - margin) m = std::max(m, o.llr);
        const double upper = m < 0 ? 1.0 : tail(outcomes, m - 2 * half);
        const double lower = tail(outcomes, x + margin);
        EXPECT_GE(p, lower * (1 - 1e-5)) << "A=" << A << " N=" << N << " x=" << x;
        EXPECT_LE(p, upper * (1 + 1e-5)) << "A=" << A << " N=" << N << " x=" << x;
      }
    }
  }
  std::printf("largest |ln p - ln exact p| at grid scores with probability: %.4g\n", worst_log_error);
}

// At a score that carries probability the tail table is exact up to log_sum's arithmetic: the
// p-value is the summed probability of every count vector whose rounded letter terms reach it.
TEST_F(LlrPvalue, MatchesTheExactLatticeTailAtEveryScoreWithProbability) {
  double worst = 0;
  for (const std::vector<double> &background :
       std::vector<std::vector<double>>{{0.8, 0.2}, {0.2, 0.3, 0.5}, {0.1, 0.2, 0.3, 0.4}}) {
    for (int N : {2, 7, 19, 30}) {
      freestuff();
      std::vector<double> q = background;
      const int A = static_cast<int>(q.size());
      get_llr_pv(0.0, N, 1, 200, 1.0, A, q.data());
      const DISTR &rec = *cached_distr(N);
      std::vector<std::pair<long, double>> lattice;  // scaled score, probability
      std::vector<int> counts(A);
      for_each_count_vector(A, N, counts, 0, N, [&](const std::vector<int> &c) {
        long score = 0;
        double logprob = std::lgamma(N + 1.0);
        for (int a = 0; a < A; ++a) {
          if (c[a] > 0) score += std::lround(rec.alpha * c[a] * std::log(c[a] / (N * q[a])));
          logprob += c[a] * std::log(q[a]) - std::lgamma(c[a] + 1.0);
        }
        lattice.push_back({score, std::exp(logprob)});
      });
      for (const auto &[score, unused] : lattice) {
        (void)unused;
        double expected = 0;
        for (const auto &[other, prob] : lattice)
          if (other >= score) expected += prob;
        const long index = score - rec.offset[1];
        ASSERT_GE(index, 0);
        ASSERT_LE(index, rec.range[1]);
        EXPECT_NEAR(rec.cdf[1][index], std::log(expected), 2e-6) << "A=" << A << " N=" << N << " score=" << score;
        worst = std::max(worst, std::fabs(rec.cdf[1][index] - std::log(expected)));
      }
    }
  }
  std::printf("largest |ln p - ln exact lattice p|: %.3g\n", worst);
}

TEST_F(LlrPvalue, HugeBackgroundFrequenciesKeepEveryLetterOnTheGrid) {
  // Beside 1e300 the 1e-200 floor of the zero letter would vanish when rescaled.
  std::vector<double> huge = {0.0, 1e300, 1e300};
  const double p = get_llr_pv(3.0, 5.0, 1, 200, 1.0, 3, huge.data());
  EXPECT_TRUE(std::isfinite(p));
  EXPECT_LE(p, 0.0);
  EXPECT_GT(huge[0], 0.0);
  EXPECT_NEAR(huge[1], 0.5, 1e-15);
}
