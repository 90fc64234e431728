// The accurate column tails against tails computed independently: every count vector
// enumerated in long double here for small N, the binomial sum in log space for two letters at
// large N, and a table of reference tails computed elsewhere (every count vector enumerated in
// long double; for 20 letters the fine lattice at 0.0025 nats). The bound is 0.01 in log10 for
// 2-4 letters and 0.02 for more, against the interval between P(G > x) and P(G >= x); exact
// routes must be far closer. Each route and fall-back is reached on purpose through settings.
#include "stats/column_tail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {
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

namespace {
// Reference tails: ln P(G >= x) and ln P(G > x) for the column of counts k.
struct Reference {
  std::vector<double> q;
  std::vector<long> k;
  double log_ge, log_gt;
};

const Reference kDna[] = {
    {{0.29, 0.21, 0.21, 0.29}, {3, 0, 267, 30}, -342.291747549, -342.311845425},    // a face
    {{0.29, 0.21, 0.21, 0.29}, {1, 140, 147, 12}, -205.464896168, -205.465473691},  // an edge
    {{0.29, 0.21, 0.21, 0.29}, {1, 1, 297, 1}, -448.214163746, -448.455407038},     // a corner
    {{0.29, 0.21, 0.21, 0.29}, {90, 60, 70, 80}, -0.40415411367, -0.404696648097},  // p near 1
    {{0.29, 0.21, 0.21, 0.29}, {60, 5, 20, 215}, -133.789663232, -133.789889719},
};
const Reference kFiveAndEight[] = {
    {{0.1, 0.15, 0.2, 0.25, 0.3}, {40, 35, 45, 40, 40}, -10.5355620672, -10.5355643446},
    {{0.1, 0.15, 0.2, 0.25, 0.3}, {0, 2, 30, 80, 88}, -52.8839293685, -52.883946015},
    {{0.1, 0.15, 0.2, 0.25, 0.3}, {60, 10, 30, 50, 50}, -33.255500637, -33.2555027072},
    {{0.05, 0.1, 0.1, 0.15, 0.15, 0.15, 0.15, 0.15},
     {0, 3, 3, 4, 5, 5, 5, 5},
     -0.123138124251,
     -0.1237804282},
    {{0.05, 0.1, 0.1, 0.15, 0.15, 0.15, 0.15, 0.15},
     {12, 0, 1, 2, 3, 4, 3, 5},
     -13.5520901766,
     -13.5527790592},
};

// Within `bound` (log10) of the interval [P(G > x), P(G >= x)].
void expect_within(const ColumnTail &got, const Reference &r, double bound, const char *what) {
  long N = 0;
  for (long v : r.k) N += v;
  const double low = r.log_gt / kLn10 - bound, high = r.log_ge / kLn10 + bound;
  EXPECT_GE(got.log_p / kLn10, low) << what << " N " << N << " k0 " << r.k[0];
  EXPECT_LE(got.log_p / kLn10, high) << what << " N " << N << " k0 " << r.k[0];
}

ColumnTail tail_of(const Reference &r, const TailSettings &settings) {
  long N = 0;
  for (long v : r.k) N += v;
  return column_tail(static_cast<int>(N), r.q, llr_of(r.k, r.q), settings);
}
}  // namespace

TEST(ColumnTail, EveryRouteWithinItsBoundOfTheReferences) {
  TailSettings no_quick;  // past the first enumeration, as at many sites
  no_quick.quick_steps = no_quick.small_site_steps = 0;
  TailSettings tilted_only = no_quick;  // the smooth reading alone
  tilted_only.face_steps = 0;
  TailSettings one_reading = tilted_only;  // no second reading: never settled
  one_reading.most_cells = one_reading.first_cells;
  TailSettings unchecked = one_reading;  // ... and no long enumeration to fall back on
  unchecked.long_steps = 0;
  for (const Reference &r : kDna) {
    const ColumnTail chosen = tail_of(r, {});
    expect_within(chosen, r, chosen.route == TailRoute::enumeration ? 1e-9 : 0.01, "default");
    // Near a face or corner the smooth reading is off (there its readings may not even agree):
    // the face enumeration takes over.
    const bool face = r.k[0] <= 3;
    const ColumnTail smooth = tail_of(r, tilted_only);
    if (!face) {
      EXPECT_EQ(smooth.route, TailRoute::tilted);
      expect_within(smooth, r, 0.01, "tilted");
    }
    const ColumnTail faced = tail_of(r, no_quick);
    if (face) {
      EXPECT_EQ(faced.route, TailRoute::enumeration);
    }
    expect_within(faced, r, 0.01, "face enumeration");
    const ColumnTail fallback = tail_of(r, one_reading);
    EXPECT_EQ(fallback.route, TailRoute::enumeration);
    expect_within(fallback, r, 1e-9, "long enumeration");
    const ColumnTail flagged = tail_of(r, unchecked);
    EXPECT_EQ(flagged.route, TailRoute::tilted);
    EXPECT_FALSE(flagged.checked);
  }
  for (const Reference &r : kFiveAndEight) {
    const ColumnTail got = tail_of(r, no_quick);
    EXPECT_EQ(got.route, r.k.size() == 5 ? TailRoute::tilted : TailRoute::fine_lattice);
    EXPECT_TRUE(got.checked);
    expect_within(got, r, 0.02, "five or eight letters");
  }
  // The fine lattice that cannot fit falls back to the tilted reading.
  TailSettings no_lattice = no_quick;
  no_lattice.most_lattice_cells = 1;
  const ColumnTail fallback = tail_of(kFiveAndEight[4], no_lattice);
  EXPECT_EQ(fallback.route, TailRoute::tilted);
  expect_within(fallback, kFiveAndEight[4], 0.02, "lattice to tilted");
}

TEST(ColumnTail, TwentyLettersTiltedWithinTwoHundredthsOfTheFineLattice) {
  // 200 sites: past the fine lattice's route, read by the tilted FFT; the references are the
  // fine lattice at 0.0025 nats (0.005 and 0.01 agreed with it within 0.0004).
  std::vector<double> q(20);
  for (size_t a = 0; a < q.size(); ++a) q[a] = (a + 1) / 210.0;
  const Reference columns[] = {
      {q,
       {0, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 18, 30, 30},
       -0.253871 * kLn10,
       -0.253871 * kLn10},
      {q,
       {6, 0, 0, 1, 1, 1, 2, 2, 3, 3, 4, 5, 6, 8, 10, 12, 15, 25, 40, 56},
       -20.562705 * kLn10,
       -20.562705 * kLn10}};
  for (const Reference &r : columns) {
    const ColumnTail got = tail_of(r, {});
    EXPECT_EQ(got.route, TailRoute::tilted);
    expect_within(got, r, 0.02, "twenty letters");
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
