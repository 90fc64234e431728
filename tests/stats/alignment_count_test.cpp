// Number of alignments at the edges and the product-of-p-values tail. Ordinary counts, and how
// the two combine into an E-value under each search model, are pinned by the whole-tool table.
#include "stats/alignment_count.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/records.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const int64_t kBillions = 2'000'000'000;

TEST(AlignmentCount, CountsThePlacementsOfTheSites) {
  // clang-format off
  const struct { MOTYPE mtype; std::vector<int64_t> lengths; int w, N, two_strands; double ln; }
  cases[] = {
      {PerSequenceB, {5, 10, 8}, 6, 3, 0, kInf},  // only two sequences are long enough
      {PerSequenceB, {5, 10, 8}, 5, 3, 0, std::log(24.0)},
      {PerSequenceB, {5, 10, 8}, 1, 4, 0, kInf},  // more sites than sequences
      {Pooled, {10, 8, 5}, 6, 2, 1, std::log(112.0)},
      {Pooled, {10, 8, 5}, 6, 9, 0, kInf},
      // A sequence shorter than the motif offers no positions rather than taking some away.
      {Pooled, {10, 8, 5}, 9, 3, 0, kInf},
      {Pooled, {10, 8, 5}, 9, 1, 0, std::log(2.0)},
      // The pooled total is beyond 32 bits.
      {Pooled, {kBillions, kBillions, kBillions}, 10, 1, 0, std::log(3.0 * (kBillions - 9))},
  };
  // clang-format on
  for (const auto &c : cases) {
    TestRecords records("", {}, c.lengths);
    const double got =
        get_log_nalign(records.cache, c.mtype, c.w, c.N, c.two_strands, records.dataset);
    EXPECT_TRUE(got == c.ln || std::fabs(got - c.ln) < 1e-9)
        << got << " for w " << c.w << " N " << c.N;
  }
}

TEST(ProductTail, ProbabilityThatTheProductIsAtMostTheGivenOne) {
  // clang-format off
  const struct { int n; double log_prod, expected, tolerance; } cases[] = {
      {0, -5.0, 0.0, 0}, {1, -5.0, -5.0, 0}, {2, -5.0, -5.0 + std::log(6.0), 1e-14},
      {2, std::log(0.01), -2.88148, 1e-5}, {3, std::log(0.01), -1.81961, 1e-5},
      // The direct series overflows here; the largest term dominates.
      {299, -200000.0, -200000.0 + 298 * std::log(200000.0) - std::lgamma(299.0), 1.0},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_NEAR(log_qfast(c.n, c.log_prod), c.expected, c.tolerance) << c.n;
  EXPECT_LT(log_qfast(299, -200000.0), log_qfast(299, -199999.0));
}

}  // namespace
