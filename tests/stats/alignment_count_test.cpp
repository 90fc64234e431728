// Number of alignments, the product-of-p-values tail, and the E-value they give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "driver/run.h"
#include "stats/alignment_count.h"
#include "stats/llr_pvalue.h"

namespace {

// A dataset holding only sequence lengths; resets the length cache, which keeps one dataset.
struct Lengths {
  Dataset dataset;
  explicit Lengths(std::vector<int> lengths) {
    freestuff();
    dataset.nseqs = static_cast<int>(lengths.size());
    dataset.seqs = new SeqRecord *[lengths.size()];
    for (size_t i = 0; i < lengths.size(); ++i) dataset.seqs[i] = new SeqRecord{lengths[i]};
  }
  ~Lengths() {
    std::vector<Model> none;
    release_records(dataset, none);
    freestuff();
  }
};

const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(LogComb, SmallCases) {
  EXPECT_NEAR(log_comb(5, 2), std::log(10.0), 1e-14);
  EXPECT_EQ(log_comb(7, 0), 0.0);
  EXPECT_EQ(log_comb(7, 7), 0.0);
  EXPECT_NEAR(log_comb(40, 18), std::lgamma(41) - std::lgamma(19) - std::lgamma(23), 1e-10);
}

TEST(IntCompare, SortsLongestFirst) {
  int values[] = {3, 10, 7};
  std::qsort(values, 3, sizeof(int), int_compare);
  EXPECT_EQ(std::vector<int>(values, values + 3), (std::vector<int>{10, 7, 3}));
}

TEST(AlignmentCount, OneSitePerSequence) {
  Lengths l({5, 10, 8});
  EXPECT_NEAR(get_log_nalign(PerSequenceB, 6, 2, 0, l.dataset), std::log(45.0), 1e-12);
  EXPECT_NEAR(get_log_nalign(PerSequenceA, 6, 2, 1, l.dataset), std::log(180.0), 1e-12);
  EXPECT_EQ(get_log_nalign(PerSequenceB, 6, 3, 0, l.dataset), kInf);
  EXPECT_NEAR(get_log_nalign(PerSequenceB, 5, 3, 0, l.dataset), std::log(24.0), 1e-12);
  // More sites than sequences cannot be placed.
  EXPECT_EQ(get_log_nalign(PerSequenceB, 1, 4, 0, l.dataset), kInf);
  EXPECT_EQ(get_log_nalign(static_cast<MOTYPE>(3), 6, 2, 0, l.dataset), 0.0);
}

TEST(AlignmentCount, PooledPositions) {
  Lengths l({10, 8, 5});
  EXPECT_NEAR(get_log_nalign(Pooled, 6, 2, 0, l.dataset), std::log(28.0), 1e-12);
  EXPECT_NEAR(get_log_nalign(Pooled, 6, 2, 1, l.dataset), std::log(112.0), 1e-12);
  EXPECT_EQ(get_log_nalign(Pooled, 6, 9, 0, l.dataset), kInf);
  // A sequence shorter than the motif offers no positions rather than taking some away.
  EXPECT_EQ(get_log_nalign(Pooled, 9, 3, 0, l.dataset), kInf);
  EXPECT_NEAR(get_log_nalign(Pooled, 9, 1, 0, l.dataset), std::log(2.0), 1e-12);
}

TEST(AlignmentCount, PooledTotalBeyondThirtyTwoBits) {
  Lengths l(std::vector<int>(3, 2'000'000'000));
  const double total = 3.0 * (2'000'000'000 - 10 + 1);
  EXPECT_NEAR(get_log_nalign(Pooled, 10, 1, 0, l.dataset), std::log(total), 1e-9);
}

TEST(ProductTail, DirectSeries) {
  EXPECT_EQ(log_qfast(0, -5.0), 0.0);
  EXPECT_EQ(log_qfast(1, -5.0), -5.0);
  EXPECT_NEAR(log_qfast(2, -5.0), -5.0 + std::log(6.0), 1e-14);
  EXPECT_NEAR(log_qfast(2, std::log(0.01)), -2.88148, 1e-5);
  EXPECT_NEAR(log_qfast(3, std::log(0.01)), -1.81961, 1e-5);
}

TEST(ProductTail, VerySmallProductsStayFinite) {
  // 299 columns with a product of e^-200000: the direct series overflows.
  const double lp = log_qfast(299, -200000.0);
  ASSERT_TRUE(std::isfinite(lp));
  const double largest_term = 298 * std::log(200000.0) - std::lgamma(299.0);
  EXPECT_NEAR(lp, -200000.0 + largest_term, 1.0);
  EXPECT_LT(lp, log_qfast(299, -199999.0));
}

TEST(Significance, CombinesTailAndAlignments) {
  Lengths l({10, 8, 5});
  EXPECT_NEAR(get_log_sig(std::log(100.0), PerSequenceB, 2, 2, 0, 0, l.dataset), 2.36027, 1e-5);
  // Palindromes count one strand even when both strands are searched.
  EXPECT_EQ(get_log_sig(3.0, PerSequenceB, 2, 2, 1, 1, l.dataset),
            get_log_sig(3.0, PerSequenceB, 2, 2, 0, 0, l.dataset));
}

TEST(Significance, NoSitesNeedsNoSequences) {
  Dataset empty;  // no sequences: the length cache must not be built
  freestuff();
  EXPECT_EQ(get_log_sig(0.0, PerSequenceB, 3, 0, 0, 0, empty), 0.0);
  EXPECT_EQ(get_log_sig(2.0, PerSequenceB, 1, 0, 0, 0, empty), -2.0);
}
