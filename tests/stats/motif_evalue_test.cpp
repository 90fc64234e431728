// Per-motif entropy, LLR and E-value.
#include "stats/motif_evalue.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "stats/alignment_count.h"
#include "stats/llr_pvalue.h"
#include "stats/llr_threads.h"
#include "support/records.h"
#include "support/temp_files.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ASAN_BY_FEATURE 1
#endif
#endif
#ifndef ASAN_BY_FEATURE
#define ASAN_BY_FEATURE 0
#endif

namespace {

// By default four equiprobable letters and three sequences of lengths 10, 8 and 5.
struct MotifSet : TestRecords {
  explicit MotifSet(const std::vector<double> &background = {0.25, 0.25, 0.25, 0.25},
                    const std::vector<int64_t> &lengths = {10, 8, 5})
      : TestRecords(std::string(background.size(), 'x'), background, lengths) {}
};

}  // namespace

TEST(SignificantDigits, KeepsFourteenDigitsWithTiesToEven) {
  EXPECT_EQ(round_sig_digits(12.3456789012345678), 12.345678901235);
  EXPECT_EQ(round_sig_digits(13.862943611198906), 13.862943611199);
  EXPECT_EQ(round_sig_digits(-2.2292318623228202), -2.2292318623228);
  EXPECT_EQ(round_sig_digits(0.0), 0.0);
  EXPECT_EQ(round_sig_digits(std::nan("")), 0.0);
}

// Relative entropies and LLRs of worked examples: a conserved column, a column equal to the
// background, and letters of probability or background 0 (p = 0 adds nothing; q = 0 adds only
// the p*log2(p) term, and nothing to the column's relative entropy).
TEST(CalcEntropy, EntropiesAndLlrOfWorkedExamples) {
  struct Case {
    std::vector<double> background;
    std::vector<std::vector<double>> matrix;
    int nsites;
    double llr, last_col_rel_entropy, mean_rel_entropy, info_content;
  };
  const std::vector<double> even = {0.25, 0.25, 0.25, 0.25};
  for (const Case &c : std::vector<Case>{
           {even, {{1, 0, 0, 0}}, 10, 13.862943611199, 2.0, 2.0, 2.0},
           {even,
            {{0.7, 0.1, 0.1, 0.1}, {0.25, 0.25, 0.25, 0.25}},
            5,
            2.2292318623228,
            0.0,
            0.32161017527648017,
            0.64322035055296},
           // A letter the background lacks is scored against its 1e-200 floor, as the rescaled
           // background gives it to every column.
           {{0.5, 0.5, 0.0},
            {{0.5, 0.0, 0.5}},
            1,
            229.91193570912,
            331.69280948873626,
            331.19280948873626,
            0.58496250072116},
       }) {
    MotifSet run(c.background);
    Model &m = run.add(c.matrix, c.nsites);
    calc_entropy(&m, &run.dataset, run.cache);
    EXPECT_EQ(m.llr, c.llr) << c.nsites;
    EXPECT_EQ(m.col_rel_entropy[m.w - 1], c.last_col_rel_entropy) << c.nsites;
    EXPECT_DOUBLE_EQ(m.mean_rel_entropy, c.mean_rel_entropy) << c.nsites;
    EXPECT_EQ(m.info_content, c.info_content) << c.nsites;
  }
}

// Where the column p-values are all 1, the E-value is the number of alignments alone: no or
// one site, or a one-letter alphabet. A motif of width 0 fits everywhere.
TEST(CalcEntropy, EValueOfCertainColumnsIsTheAlignmentCount) {
  struct Case {
    std::vector<double> background;
    std::vector<std::vector<double>> matrix;
    int nsites;
    double log_evalue;
  };
  const std::vector<double> even = {0.25, 0.25, 0.25, 0.25};
  for (const Case &c : std::vector<Case>{
           {even, {{0.7, 0.1, 0.1, 0.1}}, 0, 0.0},
           {even, {{0.7, 0.1, 0.1, 0.1}, {0.1, 0.1, 0.1, 0.7}}, 1, std::log(9.0 * 3)},
           {even, {}, 2, std::log(11.0 * 9 * 3)},
           {{1.0}, {{1.0}, {1.0}}, 3, std::log(9.0 * 7 * 4)},  // sequences of 10, 8 and 5
       }) {
    MotifSet run(c.background);
    Model &m = run.add(c.matrix, c.nsites);
    calc_entropy(&m, &run.dataset, run.cache);
    EXPECT_NEAR(m.log_evalue, c.log_evalue, 1e-12) << c.nsites;
    EXPECT_EQ(std::isnan(m.mean_rel_entropy), c.matrix.empty()) << c.nsites;
  }
}

// The distributions built side by side before the motifs are visited give the bits that the
// serial order gives, for any number of threads and any order of the site counts. The
// background does not sum to 1, so every build rescales it again; the accurate method shows it
// as the lattice leaves it.
TEST(CalcEntropy, ResultsDoNotDependOnThreadsOrOnTheOrderOfSiteCounts) {
  std::vector<int> counts = {600, 2, 45, 300, 7, 120, 0, 1, 260, 33, 45, 3};
  std::mt19937 random(5);
  for (int order = 0; order < 2; ++order) {
    if (order == 1) std::shuffle(counts.begin(), counts.end(), random);
    auto results = [&](int threads) {
      MotifSet run({3, 1, 1, 2});
      for (int n : counts) run.add({{0.7, 0.1, 0.1, 0.1}, {0.1, 0.2, 0.3, 0.4}}, n);
      std::vector<double> bits;  // the background as the lattice left it, then the results
      if (threads == 0) {
        for (Model &m : run.models)
          calc_entropy(&m, &run.dataset, run.cache);  // nothing built ahead, rescaled in place
        bits.assign(run.dataset.background, run.dataset.background + 4);
      } else {
        EvalueRun evalues;  // threads -1: the accurate method, which builds nothing
        evalues.threads = std::max(threads, 1);
        if (threads < 0) evalues.method = motifsig::PvalueMethod::accurate;
        evalues.lattice_background = &bits;
        my_calc_evalue(run.models, run.dataset, run.cache, evalues);
        EXPECT_EQ(run.dataset.background[0], 3);  // the run's own is never written
      }
      for (const Model &m : run.models)
        bits.insert(bits.end(), {m.col_log_pvalue[0], m.col_log_pvalue[1], m.llr, m.log_evalue});
      return bits;
    };
    const std::vector<double> serial = results(0);
    EXPECT_TRUE(std::equal(serial.begin(), serial.begin() + 4, results(-1).begin()));
    for (int threads : {1, 2, 3, 8}) {
      const std::vector<double> concurrent = results(threads);
      EXPECT_EQ(std::memcmp(serial.data(), concurrent.data(), serial.size() * sizeof(double)), 0)
          << "order " << order << ", " << threads << " threads";
    }
  }
}

// A background that does not sum to 1 (counts, say) scores every column against its normalised
// frequencies, the first one too: the same E-values as the frequencies themselves, and the
// same for two copies of a motif, whichever comes first. With either p-value method.
TEST(CalcEntropy, EveryColumnIsScoredAgainstTheNormalisedBackground) {
  using motifsig::PvalueMethod;
  for (PvalueMethod method : {PvalueMethod::lattice, PvalueMethod::accurate}) {
    auto evalues = [&](const std::vector<double> &background) {
      MotifSet run(background, std::vector<int64_t>(40, 100));  // 40 sequences hold the sites
      for (int copy = 0; copy < 2; ++copy)
        run.add({{0.7, 0.1, 0.1, 0.1}, {0.1, 0.6, 0.2, 0.1}, {0.05, 0.05, 0.1, 0.8}}, 30);
      EvalueRun settings;
      settings.method = method;
      my_calc_evalue(run.models, run.dataset, run.cache, settings);
      return std::vector<double>{run.models[0].log_evalue, run.models[1].log_evalue};
    };
    const std::vector<double> frequencies = evalues({0.29, 0.21, 0.21, 0.29});
    ASSERT_TRUE(std::isfinite(frequencies[0]));
    EXPECT_EQ(frequencies[0], frequencies[1]);
    EXPECT_EQ(evalues({290, 210, 210, 290}), frequencies);
    EXPECT_EQ(evalues({0.58, 0.42, 0.42, 0.58}), frequencies);
    // Summing to 0.1 (the accurate method gave NaN for it): the same to rounding.
    const std::vector<double> tenth = evalues({0.029, 0.021, 0.021, 0.029});
    for (size_t k = 0; k < 2; ++k) EXPECT_NEAR(tenth[k], frequencies[k], 1e-9);
  }
}

// A thread the system refuses leaves the work to fewer threads, with the same output. In a
// child process every new thread is refused: its stack (1 GB by default there) does not fit the
// address space allowed. The child first checks that threads are refused, then runs.
TEST(CalcEntropy, RefusedThreadsLeaveTheOutputUnchanged) {
#if defined(__SANITIZE_ADDRESS__) || ASAN_BY_FEATURE
  GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
#endif
  TempDir dir;
  std::string sites = "motif\tsequence\tstart\tsite\n";
  for (int i = 0; i < 340; ++i)
    sites += std::to_string(1 + i % 3 / 2 + i / 300) + "\tpeak_1\t1\tA\n";
  dir.write("sites.tsv", sites);
  motifsig::Inputs inputs;
  inputs.sequences_path = MOTIFSIG_EXAMPLES "/peaks.fa";
  inputs.motifs_path = MOTIFSIG_EXAMPLES "/motifs.txt";
  inputs.sites_path = dir.path("sites.tsv");
  motifsig::RunControl control;
  control.threads = 1;
  const std::string one = motifsig::motif_file_text(motifsig::analyse(inputs, {}, control));

  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(out[0]);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, size_t{1} << 30);
    pthread_setattr_default_np(&attr);
    long pages = 0;
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) _exit(2);
    std::fclose(statm);
    const rlim_t bytes = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (300 << 20);
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
    std::atomic<int> calls{0};
    auto count = [&] { ++calls; };
    std::string text = "threads ran: " + std::to_string(run_on_threads(4, count));
    if (calls == 1) {
      control.threads = 4;
      text = motifsig::motif_file_text(motifsig::analyse(inputs, {}, control));
    }
    _exit(write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 2);
  }
  close(out[1]);
  std::string four;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) four.append(buffer, n);
  close(out[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(four, one);
}
