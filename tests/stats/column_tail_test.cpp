// The accurate column tails against reference tails computed elsewhere: every count vector
// enumerated in long double (for two letters the binomial sum; for 20 letters at 200 sites the
// fine lattice at 0.0025 nats). The bound is 0.01 in log10 for 2-4 letters and 0.02 for more,
// against the interval between P(G > x) and P(G >= x); exact routes must be far closer. Each
// route and fall-back is reached on purpose through settings.
#include "stats/column_tail.h"

#include <gtest/gtest.h>

#include <cmath>
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

// Reference tails: ln P(G >= x) and ln P(G > x) for the column of counts k.
struct Reference {
  std::vector<double> q;
  std::vector<long> k;
  double log_ge, log_gt;
};

const std::vector<double> kEven = {0.25, 0.25, 0.25, 0.25}, kSkewed = {0.1, 0.2, 0.3, 0.4};
const std::vector<double> kDnaBackground = {0.29, 0.21, 0.21, 0.29};
const std::vector<double> kFive = {0.1, 0.15, 0.2, 0.25, 0.3};
const std::vector<double> kEight = {0.02, 0.05, 0.08, 0.1, 0.12, 0.15, 0.2, 0.28};
const std::vector<double> kEightEven = {0.05, 0.1, 0.1, 0.15, 0.15, 0.15, 0.15, 0.15};
const std::vector<double> kTwenty = [] {
  std::vector<double> q(20);
  for (size_t a = 0; a < q.size(); ++a) q[a] = (a + 1) / 210.0;
  return q;
}();

// Exact routes: the references to 1e-9.
const Reference kSmall[] = {
    {kEven, {10, 0, 0, 0}, -12.4766492501, -INFINITY},    // one letter: one count vector
    {kSkewed, {30, 0, 0, 0}, -69.0775527898, -INFINITY},  // the rarest letter
    {kSkewed, {3, 6, 9, 12}, 0, -0.00749365515836},       // equal to the background
    {{0.3, 0.2, 0.2, 0.3}, {1, 1, 1, 57}, -56.7571568662, -56.7922705653},  // near a vertex
    {kEven, {40, 20, 0, 0}, -43.2101587423, -43.4595949677},                // on a face
    {{0.2, 0.3, 0.5}, {40, 30, 30}, -12.2733050583, -12.2806637675},
    {{0.5, 0.5}, {70, 30}, -9.45239414409, -10.344786638},
    {{0.001, 0.999}, {25, 55}, -125.404716377, -131.562350217},        // p below 1e-60
    {{0.1, 0.3, 0.6}, {700, 0, 0}, -1611.8095651, -INFINITY},          // p = 1e-700
    {{0.1, 0.3, 0.6}, {350, 350, 0}, -742.710824415, -742.768412117},  // a face, below 1e-300
    // A corner at 10^5 sites: the unreachable counts are jumped, not walked (the walk took 1 s).
    {kEven, {99255, 257, 234, 254}, -133417.074674203, -133417.074719535},
    // Two letters at many sites: the binomial sum over both runs of counts.
    {{0.3, 0.7}, {3500, 6500}, -60.3685474026, -60.3685474026},
    {{0.3, 0.7}, {9000, 1000}, -7945.8718873, -7945.8718873},
    {{0.3, 0.7}, {350000, 650000}, -5787.3544006, -5787.3544006},
    {{0.3, 0.7}, {900000, 100000}, -794166.618828, -794166.618828},
};
// Five or more letters and few sites: the fine lattice, to 0.02.
const Reference kLattice[] = {
    {kTwenty,
     {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     -32.0826451843,
     -INFINITY},  // all on the rarest letter
    {kTwenty,
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2, 1},
     -0.34445138764,
     -0.344745887545},  // near the background
    {kTwenty,
     {0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 2, 0},
     -5.15322370046,
     -5.15475359057},
    {kEight, {3, 0, 0, 0, 0, 0, 0, 11}, -14.2872502124, -14.2911285494},
    {kEight, {0, 1, 1, 2, 2, 2, 3, 3}, -0.000964989328075, -0.00165483799044},
};
// 300 sites of DNA: the face, edge and corner need the face enumeration.
const Reference kDna[] = {
    {kDnaBackground, {3, 0, 267, 30}, -342.291747549, -342.311845425},    // a face
    {kDnaBackground, {1, 140, 147, 12}, -205.464896168, -205.465473691},  // an edge
    {kDnaBackground, {1, 1, 297, 1}, -448.214163746, -448.455407038},     // a corner
    {kDnaBackground, {90, 60, 70, 80}, -0.40415411367, -0.404696648097},  // p near 1
    {kDnaBackground, {60, 5, 20, 215}, -133.789663232, -133.789889719},
};
const Reference kFiveAndEight[] = {
    {kFive, {40, 35, 45, 40, 40}, -10.5355620672, -10.5355643446},
    {kFive, {0, 2, 30, 80, 88}, -52.8839293685, -52.883946015},
    {kFive, {60, 10, 30, 50, 50}, -33.255500637, -33.2555027072},
    {kEightEven, {0, 3, 3, 4, 5, 5, 5, 5}, -0.123138124251, -0.1237804282},
    {kEightEven, {12, 0, 1, 2, 3, 4, 3, 5}, -13.5520901766, -13.5527790592},
};
// 200 sites, 20 letters: past the fine lattice's route (0.005 and 0.01 nats agreed with the
// 0.0025 reference within 0.0004).
const Reference kTwentyTilted[] = {
    {kTwenty,
     {0, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10, 11, 12, 13, 14, 18, 30, 30},
     -0.253871 * kLn10,
     -0.253871 * kLn10},
    {kTwenty,
     {6, 0, 0, 1, 1, 1, 2, 2, 3, 3, 4, 5, 6, 8, 10, 12, 15, 25, 40, 56},
     -20.562705 * kLn10,
     -20.562705 * kLn10}};

int sites(const Reference &r) {
  long N = 0;
  for (long v : r.k) N += v;
  return static_cast<int>(N);
}

// Within `bound` (log10) of the interval [P(G > x), P(G >= x)].
void expect_within(double log_p, const Reference &r, double bound, const char *what) {
  EXPECT_GE(log_p / kLn10, r.log_gt / kLn10 - bound) << what << " N " << sites(r) << " " << r.k[0];
  EXPECT_LE(log_p / kLn10, r.log_ge / kLn10 + bound) << what << " N " << sites(r) << " " << r.k[0];
}

ColumnTail tail_of(const Reference &r, const TailSettings &settings) {
  return column_tail(sites(r), r.q, llr_of(r.k, r.q), settings);
}
}  // namespace

TEST(ColumnTail, ExactRoutesAndTheFineLatticeForManyLetters) {
  for (const Reference &r : kSmall) {
    double got;
    if (r.q.size() > 2) {  // enumerated; two letters at many sites are summed as a binomial
      ASSERT_TRUE(exact_log_tail(sites(r), r.q, llr_of(r.k, r.q), 100000000, &got));
      EXPECT_NEAR(got, r.log_ge, 1e-9 * std::max(1.0, -r.log_ge)) << sites(r) << " " << r.k[0];
    }
    EXPECT_NEAR(tail_of(r, {}).log_p, r.log_ge, 1e-9 * std::max(1.0, -r.log_ge));
  }
  for (const Reference &r : kLattice) {
    double got;
    EXPECT_TRUE(fine_lattice_log_tail_checked(sites(r), r.q, llr_of(r.k, r.q), &got));
    expect_within(got, r, 0.02, "fine lattice");
  }
}

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
    expect_within(chosen.log_p, r, chosen.route == TailRoute::enumeration ? 1e-9 : 0.01, "default");
    // Near a face or corner the smooth reading is off (there its readings may not even agree):
    // the face enumeration takes over.
    const bool face = r.k[0] <= 3;
    const ColumnTail smooth = tail_of(r, tilted_only);
    if (!face) {
      EXPECT_EQ(smooth.route, TailRoute::tilted);
      expect_within(smooth.log_p, r, 0.01, "tilted");
    }
    const ColumnTail faced = tail_of(r, no_quick);
    if (face) {
      EXPECT_EQ(faced.route, TailRoute::enumeration);
    }
    expect_within(faced.log_p, r, 0.01, "face enumeration");
    const ColumnTail fallback = tail_of(r, one_reading);
    EXPECT_EQ(fallback.route, TailRoute::enumeration);
    expect_within(fallback.log_p, r, 1e-9, "long enumeration");
    const ColumnTail flagged = tail_of(r, unchecked);
    EXPECT_EQ(flagged.route, TailRoute::tilted);
    EXPECT_FALSE(flagged.checked);
  }
  for (const Reference &r : kFiveAndEight) {
    const ColumnTail got = tail_of(r, no_quick);
    EXPECT_EQ(got.route, r.k.size() == 5 ? TailRoute::tilted : TailRoute::fine_lattice);
    EXPECT_TRUE(got.checked);
    expect_within(got.log_p, r, 0.02, "five or eight letters");
  }
  // The fine lattice that cannot fit falls back to the tilted reading.
  TailSettings no_lattice = no_quick;
  no_lattice.most_lattice_cells = 1;
  const ColumnTail fallback = tail_of(kFiveAndEight[4], no_lattice);
  EXPECT_EQ(fallback.route, TailRoute::tilted);
  expect_within(fallback.log_p, kFiveAndEight[4], 0.02, "lattice to tilted");
  for (const Reference &r : kTwentyTilted) {
    const ColumnTail got = tail_of(r, {});
    EXPECT_EQ(got.route, TailRoute::tilted);
    expect_within(got.log_p, r, 0.02, "twenty letters");
  }
}
