// The accurate column tails against tails computed independently here: every count vector
// enumerated in long double for small N, and the binomial sum in log space for two letters
// at large N. The bound is 0.01 in log10 (exact methods must be far closer).
#include "stats/column_tail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {
constexpr double kLn10 = 2.302585092994046;

double llr_of(const std::vector<long> &k, const std::vector<double> &q) {
  long N = 0;
  for (long v : k) N += v;
  double x = 0;
  for (size_t a = 0; a < k.size(); ++a)
    if (k[a] > 0) x += k[a] * std::log(k[a] / (N * q[a]));
  return x;
}

// ln P(G >= x) over every count vector, with the multinomial coefficients from lgammal.
double brute_log_tail(int N, const std::vector<double> &q, double x) {
  const size_t A = q.size();
  std::vector<long> k(A);
  long double total = 0, top = -INFINITY;
  std::vector<long double> logs;
  std::function<void(size_t, long)> visit = [&](size_t j, long M) {
    if (j + 1 == A) {
      k[j] = M;
      long double g = 0, lp = lgammal(N + 1.0L);
      for (size_t a = 0; a < A; ++a) {
        if (k[a] > 0) g += k[a] * logl(k[a] / (static_cast<long double>(N) * q[a]));
        lp += k[a] * logl(q[a]) - lgammal(k[a] + 1.0L);
      }
      if (g >= x - 1e-9 * std::max(1.0, x)) {
        logs.push_back(lp);
        top = std::max(top, lp);
      }
      return;
    }
    for (long v = 0; v <= M; ++v) {
      k[j] = v;
      visit(j + 1, M - v);
    }
  };
  visit(0, N);
  for (long double l : logs) total += expl(l - top);
  return static_cast<double>(top + logl(total));
}
}  // namespace

TEST(ColumnTail, ExactEnumerationEqualsEveryCountVectorSummed) {
  struct Column {
    std::vector<double> q;
    std::vector<long> k;
  };
  const Column columns[] = {
      {{0.25, 0.25, 0.25, 0.25}, {10, 0, 0, 0}},   // one letter: a single count vector
      {{0.1, 0.2, 0.3, 0.4}, {30, 0, 0, 0}},       // the rarest letter: p near e^-69
      {{0.1, 0.2, 0.3, 0.4}, {3, 6, 9, 12}},       // equal to the background: p = 1
      {{0.3, 0.2, 0.2, 0.3}, {1, 1, 1, 57}},       // near a vertex
      {{0.25, 0.25, 0.25, 0.25}, {40, 20, 0, 0}},  // on a face of the count simplex
      {{0.2, 0.3, 0.5}, {40, 30, 30}},
      {{0.5, 0.5}, {70, 30}},
      {{0.001, 0.999}, {25, 55}},        // deep: p below 1e-60
      {{0.1, 0.3, 0.6}, {700, 0, 0}},    // p = 1e-700
      {{0.1, 0.3, 0.6}, {350, 350, 0}},  // on a face, p below 1e-300
  };
  for (const Column &c : columns) {
    int N = 0;
    for (long v : c.k) N += v;
    const double x = llr_of(c.k, c.q), expected = brute_log_tail(N, c.q, x);
    double got;
    ASSERT_TRUE(exact_log_tail(N, c.q, x, 100000000, &got));
    EXPECT_NEAR(got, expected, 1e-9 * std::max(1.0, -expected)) << "N " << N << " x " << x;
    EXPECT_NEAR(column_log_tail(N, c.q, x), expected, 1e-9 * std::max(1.0, -expected));
  }
}

TEST(ColumnTail, TwoLettersAtLargeNMatchTheBinomialSum) {
  for (long N : {10000L, 300000L, 1000000L}) {
    const double r = 0.3;
    for (double share : {0.31, 0.35, 0.5, 0.9}) {
      const long k1 = std::lround(share * N);
      const double x = llr_of({k1, N - k1}, {r, 1 - r});
      // Every count whose LLR reaches x, on both sides of the mean, summed in log space.
      long double sum = -INFINITY;
      for (long k = 0; k <= N; ++k) {
        if (llr_of({k, N - k}, {r, 1 - r}) < x - 1e-9 * x) continue;
        const long double l = lgammal(N + 1.0L) - lgammal(k + 1.0L) - lgammal(N - k + 1.0L) +
                              k * logl(r) + (N - k) * logl(1 - r);
        sum = std::max(sum, l) + log1pl(expl(std::min(sum, l) - std::max(sum, l)));
      }
      const double got = column_log_tail(static_cast<int>(N), {r, 1 - r}, x);
      EXPECT_NEAR(got / kLn10, static_cast<double>(sum) / kLn10, 0.01) << N << " " << share;
    }
  }
}

TEST(ColumnTail, TiltedReadingWithinOneHundredthOfExactForManySites) {
  const std::vector<double> q = {0.29, 0.21, 0.21, 0.29};
  // Away from the faces of the count simplex, the checked tilted reading itself; the chosen
  // method for every column, the face one included.
  const std::vector<std::vector<long>> columns = {
      {150, 120, 110, 120}, {300, 60, 70, 70}, {125, 125, 125, 125}, {40, 40, 380, 40}};
  for (size_t i = 0; i < columns.size(); ++i) {
    const double x = llr_of(columns[i], q);
    double exact, tilted;
    ASSERT_TRUE(exact_log_tail(500, q, x, 1000000000, &exact));
    if (i < 3) {
      EXPECT_TRUE(tilted_log_tail_checked(500, q, x, &tilted));
      EXPECT_NEAR(tilted / kLn10, exact / kLn10, 0.01) << "x " << x;
    }
    EXPECT_NEAR(column_log_tail(500, q, x) / kLn10, exact / kLn10, 0.01) << "x " << x;
  }
}

TEST(ColumnTail, NearACornerTheTiltedReadingIsNotTrusted) {
  // The tilted law piles onto the corners of the count simplex, where its density is lumpy:
  // these readings agree with themselves but were 0.02-0.05 off in log10.
  const std::vector<double> uniform = {0.25, 0.25, 0.25, 0.25};
  for (const std::vector<long> &k :
       {std::vector<long>{41, 0, 1957, 2}, std::vector<long>{1677, 6, 1, 316}}) {
    const double x = llr_of(k, uniform);
    double exact;
    ASSERT_TRUE(exact_log_tail(2000, uniform, x, 1000000000, &exact));
    EXPECT_NEAR(column_log_tail(2000, uniform, x) / kLn10, exact / kLn10, 0.01) << "x " << x;
  }
}

TEST(ColumnTail, FineLatticeForManyLettersAndFewSites) {
  // Twenty letters, skewed, and eight letters: every count vector summed against the lattice.
  std::vector<double> q20(20), q8 = {0.02, 0.05, 0.08, 0.1, 0.12, 0.15, 0.2, 0.28};
  for (size_t a = 0; a < q20.size(); ++a) q20[a] = (a + 1) / 210.0;
  const std::vector<std::vector<long>> columns20 = {
      {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // all on the rarest letter
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2, 1},  // near the background
      {0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 2, 0}};
  const std::vector<std::vector<long>> columns8 = {{3, 0, 0, 0, 0, 0, 0, 11},
                                                   {0, 1, 1, 2, 2, 2, 3, 3}};
  auto check = [](const std::vector<long> &k, const std::vector<double> &q) {
    long N = 0;
    for (long v : k) N += v;
    const double x = llr_of(k, q), expected = brute_log_tail(static_cast<int>(N), q, x);
    double got;
    EXPECT_TRUE(fine_lattice_log_tail_checked(static_cast<int>(N), q, x, &got));
    EXPECT_NEAR(got / kLn10, expected / kLn10, 0.02) << "N " << N << " x " << x;
  };
  for (const std::vector<long> &k : columns20) check(k, q20);
  for (const std::vector<long> &k : columns8) check(k, q8);
}
