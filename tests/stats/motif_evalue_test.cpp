// Per-motif entropy, LLR and E-value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "driver/run.h"
#include "stats/alignment_count.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"
#include "support/temp_files.h"

namespace {

// By default four equiprobable letters and three sequences of lengths 10, 8 and 5.
struct MotifSet {
  Dataset dataset;
  std::vector<Model> models;
  explicit MotifSet(std::vector<double> background = {0.25, 0.25, 0.25, 0.25},
               std::vector<int> lengths = {10, 8, 5}) {
    freestuff();
    models.reserve(16);  // references returned by add() stay valid
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
  EXPECT_EQ(m.col_rel_entropy[0], 0.0);
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

// The distributions built side by side before the motifs are visited give the bits that the
// serial order gives, for any number of threads and any order of the site counts. The
// background does not sum to 1, so every build rescales it again.
TEST(CalcEntropy, ResultsDoNotDependOnThreadsOrOnTheOrderOfSiteCounts) {
  std::vector<int> counts = {600, 2, 45, 300, 7, 120, 0, 1, 260, 33, 45, 3};
  std::mt19937 random(5);
  for (int order = 0; order < 2; ++order) {
    if (order == 1) std::shuffle(counts.begin(), counts.end(), random);
    auto results = [&](int threads) {
      MotifSet run({3, 1, 1, 2});
      for (int n : counts) run.add({{0.7, 0.1, 0.1, 0.1}, {0.1, 0.2, 0.3, 0.4}}, n);
      if (threads == 0) {
        for (Model &m : run.models) calc_entropy(&m, &run.dataset);  // nothing built ahead
      } else {
        my_calc_evalue(run.models, run.dataset, threads);
      }
      std::vector<double> bits(run.dataset.background, run.dataset.background + 4);
      for (const Model &m : run.models)
        bits.insert(bits.end(), {m.col_log_pvalue[0], m.col_log_pvalue[1], m.llr, m.log_evalue});
      return bits;
    };
    const std::vector<double> serial = results(0);
    for (int threads : {1, 2, 3, 8}) {
      const std::vector<double> concurrent = results(threads);
      EXPECT_EQ(std::memcmp(serial.data(), concurrent.data(), serial.size() * sizeof(double)), 0)
          << "order " << order << ", " << threads << " threads";
    }
  }
}

// A thread the system refuses (here: its stack would not fit the address space allowed)
// leaves the work to fewer threads, with the same output.
TEST(CalcEntropy, RefusedThreadsLeaveTheOutputUnchanged) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
#endif
  TempDir dir;
  std::string sites = "motif\tsequence\tstart\tsite\n";
  for (int i = 0; i < 340; ++i) sites += std::to_string(1 + i % 3 / 2 + i / 300) + "\tpeak_1\t1\tA\n";
  dir.write("sites.tsv", sites);
  const std::string inputs = std::string(MOTIFSIG_EXAMPLES) + "/peaks.fa " + MOTIFSIG_EXAMPLES +
                             "/motifs.txt " + dir.path("sites.tsv") + " ";
  ASSERT_EQ(run_tool({"-t", "1", MOTIFSIG_EXAMPLES "/peaks.fa", MOTIFSIG_EXAMPLES "/motifs.txt",
                      dir.path("sites.tsv"), dir.path("one.txt")}).status, 0);
  const std::string limited = "ulimit -s 1000000; ulimit -v 300000; exec " MOTIFSIG_EXE " -t 4 " +
                              inputs + dir.path("four.txt") + " >/dev/null";
  ASSERT_EQ(std::system(("/bin/sh -c '" + limited + "'").c_str()), 0);
  EXPECT_EQ(read_file(dir.path("four.txt")), read_file(dir.path("one.txt")));
}
