// Per-motif entropy, LLR and E-value.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driver/run.h"
#include "stats/alignment_count.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"

namespace {

// By default four equiprobable letters and three sequences of lengths 10, 8 and 5.
struct MotifSet {
  Dataset dataset;
  std::vector<Model> models;
  explicit MotifSet(std::vector<double> background = {0.25, 0.25, 0.25, 0.25},
               std::vector<int> lengths = {10, 8, 5}) {
    freestuff();
    models.reserve(4);  // references returned by add() stay valid
    dataset.alength = static_cast<int>(background.size());
    dataset.alphabet = new char[dataset.alength + 1]();
    dataset.background = new double[dataset.alength];
    std::copy(background.begin(), background.end(), dataset.background);
    dataset.nseqs = static_cast<int>(lengths.size());
    dataset.seqs = new SeqRecord *[lengths.size()];
    for (size_t i = 0; i < lengths.size(); ++i) dataset.seqs[i] = new SeqRecord{lengths[i]};
  }
  Model &add(std::vector<std::vector<double>> rows, int nsites) {
    Model m;
    m.w = static_cast<int>(rows.size());
    m.matrix = new double *[rows.size()];
    for (size_t i = 0; i < rows.size(); ++i) m.matrix[i] = new double[rows[i].size()];
    for (size_t i = 0; i < rows.size(); ++i) std::copy(rows[i].begin(), rows[i].end(), m.matrix[i]);
    m.nsites = nsites;
    models.push_back(m);
    return models.back();
  }
  ~MotifSet() {
    freestuff();
    release_records(dataset, models);
  }
};

}  // namespace

TEST(SignificantDigits, KeepsFourteenDigitsWithTiesToEven) {
  EXPECT_EQ(round_sig_digits(12.3456789012345678), 12.345678901235);
  EXPECT_EQ(round_sig_digits(13.862943611198906), 13.862943611199);
  EXPECT_EQ(round_sig_digits(-2.2292318623228202), -2.2292318623228);
  EXPECT_EQ(round_sig_digits(0.0), 0.0);
  EXPECT_EQ(round_sig_digits(std::nan("")), 0.0);
}

TEST(CalcEntropy, PerfectlyConservedColumn) {
  MotifSet run;
  Model &m = run.add({{1, 0, 0, 0}}, 10);
  calc_entropy(&m, &run.dataset);
  EXPECT_EQ(m.llr, 13.862943611199);
  EXPECT_EQ(m.col_rel_entropy[0], 2.0);
  EXPECT_EQ(m.mean_rel_entropy, 2.0);
  EXPECT_EQ(m.info_content, 2.0);
}

TEST(CalcEntropy, TwoColumnsWithFiveSites) {
  MotifSet run;
  Model &m = run.add({{0.7, 0.1, 0.1, 0.1}, {0.25, 0.25, 0.25, 0.25}}, 5);
  calc_entropy(&m, &run.dataset);
  EXPECT_EQ(m.llr, 2.2292318623228);
  EXPECT_EQ(m.col_rel_entropy[1], 0.0);
  EXPECT_EQ(m.info_content, 0.64322035055296);
  EXPECT_EQ(m.mean_rel_entropy, 0.32161017527648017);
  // Five sites cannot be spread over three sequences.
  EXPECT_EQ(m.log_evalue, INFINITY);
}

TEST(CalcEntropy, EValueOfFewSitesIsTheAlignmentCountAlone) {
  MotifSet run;
  Model &none = run.add({{0.7, 0.1, 0.1, 0.1}}, 0);
  calc_entropy(&none, &run.dataset);
  EXPECT_EQ(none.log_evalue, 0.0);  // E= 1e0
  Model &one = run.add({{0.7, 0.1, 0.1, 0.1}, {0.1, 0.1, 0.1, 0.7}}, 1);
  calc_entropy(&one, &run.dataset);
  // One site of width 2: 9 positions in the longest sequence, times 3 sequences to choose.
  EXPECT_NEAR(one.log_evalue, std::log(9.0 * 3), 1e-12);
  EXPECT_EQ(run.dataset.background[0], 0.25);
}

TEST(CalcEntropy, WidthZeroMotif) {
  MotifSet run;
  Model &m = run.add({}, 2);
  calc_entropy(&m, &run.dataset);
  EXPECT_EQ(m.llr, 0.0);
  EXPECT_EQ(m.info_content, 0.0);
  EXPECT_TRUE(std::isnan(m.mean_rel_entropy));
  // Width 0 fits everywhere: 11 and 9 positions in the two longest, 3 ways to choose them.
  EXPECT_NEAR(m.log_evalue, std::log(11.0 * 9) + std::log(3.0), 1e-12);
}

TEST(CalcEntropy, LettersWithZeroProbabilityOrBackground) {
  MotifSet run({0.5, 0.5, 0.0});
  Model &m = run.add({{0.5, 0.0, 0.5}}, 1);
  calc_entropy(&m, &run.dataset);
  // p=0 adds nothing; q=0 adds only its p*log2(p) term.
  EXPECT_EQ(m.col_rel_entropy[0], std::log(0.5 / 0.5 + 1e-200) * 0.5 / 0.6931471805599453);
  EXPECT_DOUBLE_EQ(m.mean_rel_entropy, -1.0 - (-0.5));
}

TEST(CalcEntropy, OneLetterAlphabetGivesPvaluesOfOne) {
  MotifSet run({1.0});
  Model &m = run.add({{1.0}, {1.0}}, 3);
  calc_entropy(&m, &run.dataset);
  // Only the alignment count remains: 3 sites in the 3 sequences, 9 * 7 * 4 positions.
  EXPECT_NEAR(m.log_evalue, std::log(9.0 * 7 * 4), 1e-12);
}

TEST(CalcEntropy, ManySignificantColumnsKeepAFiniteEValue) {
  // 300 perfectly conserved columns of 300 sites: the column p-values multiply to about
  // e^-124766, where the direct series of the product tail leaves the double range.
  MotifSet run({0.25, 0.25, 0.25, 0.25}, std::vector<int>(300, 400));
  Model &m = run.add(std::vector<std::vector<double>>(300, {1, 0, 0, 0}), 300);
  calc_entropy(&m, &run.dataset);
  EXPECT_TRUE(std::isfinite(m.log_evalue));
  EXPECT_LT(m.log_evalue, -100000);
}
