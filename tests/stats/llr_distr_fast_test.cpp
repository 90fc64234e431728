// The fast column LLR kernel must give the plain kernel's results bit for bit: the
// distribution, alpha, offset, range and the rescaled background, on every instruction-set
// path and for any number of threads; and so the tool's output must not change with it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "stats/llr_distr.h"
#include "stats/llr_distr_fast.h"
#include "stats/log_tables.h"
#include "support/temp_files.h"

namespace {

struct Result {
  std::vector<double> prob;
  std::vector<double> background;
  double alpha = 0;
  int offset = 0, range = 0;
};

template <typename Kernel>
Result run_kernel(Kernel kernel, const std::vector<double> &background, int N, int desired_range,
                  double frac) {
  Result r;
  r.background = background;
  double *p = kernel(static_cast<int>(background.size()), r.background.data(), N, desired_range,
                     frac, &r.alpha, &r.offset, &r.range);
  r.prob.assign(p, p + r.range + 1);  // the entry past range is never set
  std::free(p);
  return r;
}

bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

std::string describe(const std::vector<double> &background, int N, int desired_range,
                     double frac, const LlrFastOptions &options) {
  std::ostringstream text;
  text << "alength " << background.size() << " N " << N << " desired_range " << desired_range
       << " frac " << frac << " path " << static_cast<int>(options.path) << " threads "
       << options.threads << " background";
  for (double p : background) text << ' ' << p;
  return text.str();
}

std::vector<LlrPath> supported_paths() {
  std::vector<LlrPath> paths;
  for (LlrPath path : {LlrPath::Portable, LlrPath::Avx2})
    if (llr_path_supported(path)) paths.push_back(path);
  return paths;
}

// Compares every supported path against the plain kernel: the fastest path on each of the
// given thread counts, the others (whose row sharing is the same code) on the last of them.
void expect_same_as_plain(const std::vector<double> &background, int N,
                          const std::vector<int> &threads, int desired_range = 200,
                          double frac = 1.0) {
  const Result plain = run_kernel(llr_distr_plain, background, N, desired_range, frac);
  for (LlrPath path : supported_paths()) {
    const std::vector<int> counts =
        path == llr_path_chosen() ? threads : std::vector<int>{threads.back()};
    for (int t : counts) {
      const LlrFastOptions options{path, t};
      const Result fast = run_kernel(
          [&](int alength, double *bg, int n, int range_wanted, double f, double *alpha,
              int *offset, int *range) {
            return llr_distr_fast(alength, bg, n, range_wanted, f, alpha, offset, range, options);
          },
          background, N, desired_range, frac);
      const std::string what = describe(background, N, desired_range, frac, options);
      ASSERT_EQ(fast.offset, plain.offset) << what;
      ASSERT_EQ(fast.range, plain.range) << what;
      ASSERT_EQ(std::memcmp(&fast.alpha, &plain.alpha, sizeof(double)), 0) << what;
      ASSERT_TRUE(same_bits(fast.background, plain.background)) << what;
      if (!same_bits(fast.prob, plain.prob)) {
        for (int j = 0; j <= plain.range; ++j)
          ASSERT_EQ(std::memcmp(&fast.prob[j], &plain.prob[j], sizeof(double)), 0)
              << what << ": entry " << j << " is " << fast.prob[j] << ", plain " << plain.prob[j];
      }
    }
  }
}

// Backgrounds of `alength` letters in several shapes: uniform, skewed, with zero entries, and
// counts that do not sum to 1.
std::vector<std::vector<double>> backgrounds(int alength, std::mt19937 &random) {
  std::vector<std::vector<double>> result;
  result.emplace_back(alength, 1.0 / alength);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> skewed(alength);
  double total = 0;
  for (double &p : skewed) total += (p = std::pow(unit(random), 3) + 0.001);
  for (double &p : skewed) p /= total;
  result.push_back(skewed);
  std::vector<double> counts(alength);
  for (int a = 0; a < alength; ++a) counts[a] = static_cast<int>(unit(random) * 50);
  counts[alength / 2] = 0;
  counts[0] += 3;
  result.push_back(counts);
  return result;
}

double *fast_default(int alength, double *background, int N, int desired_range, double frac,
                     double *alpha, int *offset, int *range) {
  return llr_distr_fast(alength, background, N, desired_range, frac, alpha, offset, range);
}

class LlrDistrFast : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    init_log();
    init_exp();
  }
};

TEST_F(LlrDistrFast, MatchesPlainForEveryAlphabetSizeAndBackgroundShape) {
  std::mt19937 random(7);
  for (int alength = 2; alength <= 20; ++alength) {
    const std::vector<int> sizes = alength <= 4   ? std::vector<int>{1, 2, 3, 9, 70, 250}
                                   : alength <= 8 ? std::vector<int>{1, 2, 7, 40, 120}
                                                  : std::vector<int>{2, 5, 31, 64};
    for (const std::vector<double> &background : backgrounds(alength, random))
      for (int N : sizes) expect_same_as_plain(background, N, {1, 2});
  }
}

TEST_F(LlrDistrFast, MatchesPlainForLargeColumnsOnAnyThreadCount) {
  expect_same_as_plain({0.29, 0.21, 0.21, 0.29}, 1200, {1, 2, 4});
  expect_same_as_plain({0.3, 0.0, 0.2, 0.5}, 500, {4, 1});  // a letter that never occurs
  expect_same_as_plain({0.7, 0.3}, 4000, {1, 2});
  expect_same_as_plain({0.074, 0.025, 0.054, 0.054, 0.047, 0.074, 0.026, 0.068, 0.058, 0.099,
                        0.025, 0.045, 0.039, 0.034, 0.052, 0.057, 0.051, 0.073, 0.013, 0.032},
                       260, {1, 2, 4});
}

TEST_F(LlrDistrFast, MatchesPlainForOtherRangesAndFractions) {
  const std::vector<double> dna = {2, 1, 1, 3};  // rescaled in place
  for (int desired_range : {1, 37, 1000})
    for (int N : {2, 25, 160}) expect_same_as_plain(dna, N, {1, 2}, desired_range);
  for (double frac : {0.0, 0.1, 0.5, 0.93})
    for (int N : {2, 13, 140}) {
      expect_same_as_plain(dna, N, {1, 2}, 200, frac);
      expect_same_as_plain({0.05, 0.15, 0.3, 0.1, 0.4}, N, {2}, 200, frac);
    }
}

TEST_F(LlrDistrFast, ThePlainKernelsWorkedExample) {
  // Two equal letters, N = 2: scores 0 (probability 1/2) and 277 (two ways of 1/4).
  const Result r = run_kernel(fast_default, {0.5, 0.5}, 2, 200, 1.0);
  EXPECT_EQ(r.alpha, 200.0);
  EXPECT_EQ(r.offset, 0);
  ASSERT_EQ(r.range, 277);
  EXPECT_NEAR(r.prob[0], std::log(0.5), 1e-4);
  EXPECT_NEAR(r.prob[277], std::log(0.5), 1e-4);
  for (int j = 1; j < 277; ++j) EXPECT_EQ(r.prob[j], LOG_ZERO);
}

// The vector passes against the portable one on cells chosen to meet every branch of log_sum:
// empty cells and sources, ties, gaps at and around 64, values near and below LOG_ZERO, and
// lengths that end inside a vector (entries past len must keep their values).
TEST_F(LlrDistrFast, VectorPassMatchesPortablePassCellByCell) {
  const LlrGroupPass portable = llr_group_pass_portable();
  std::vector<LlrGroupPass> passes;
  if (llr_path_supported(LlrPath::Avx2)) passes.push_back(llr_group_pass_avx2());
  if (passes.empty()) GTEST_SKIP() << "no vector path on this processor";

  const double special[] = {LOG_ZERO, LOG_ZERO, -2e100, -1e100 + 1e85, -3.0, -3.0, -67.0,
                            -3.0 - 64.0, std::nextafter(-67.0, 0.0), -0.0, 0.0, -700.25, -1e6};
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pick(0, sizeof special / sizeof special[0] - 1);
  std::uniform_real_distribution<double> value(-80.0, 0.0);
  auto cell = [&] { return random() % 3 == 0 ? special[pick(random)] : value(random); };
  for (int trial = 0; trial < 30; ++trial) {
    const int rows = 1 + trial % 8;
    for (int len = 1; len <= 23; ++len) {
      std::vector<double> src(len + 3), logp(rows);
      for (double &x : src) x = cell();
      for (double &x : logp) x = random() % 4 == 0 ? 0.0 : -value(random) / 10 - 3.0;
      std::vector<std::vector<double>> want(rows), got(rows);
      for (int r = 0; r < rows; ++r) {
        want[r].resize(len + 3);
        for (double &x : want[r]) x = cell();
        got[r] = want[r];
      }
      std::vector<double *> want_rows, got_rows;
      for (int r = 0; r < rows; ++r) {
        want_rows.push_back(want[r].data());
        got_rows.push_back(got[r].data());
      }
      portable(rows, src.data(), len, want_rows.data(), logp.data());
      for (LlrGroupPass pass : passes) {
        std::vector<std::vector<double>> trial = got;
        std::vector<double *> trial_rows;
        for (int r = 0; r < rows; ++r) trial_rows.push_back(trial[r].data());
        pass(rows, src.data(), len, trial_rows.data(), logp.data());
        for (int r = 0; r < rows; ++r)
          for (int i = 0; i < len + 3; ++i)
            ASSERT_EQ(std::memcmp(&trial[r][i], &want[r][i], sizeof(double)), 0)
                << "rows " << rows << " len " << len << " row " << r << " entry " << i << ": "
                << trial[r][i] << ", portable " << want[r][i] << " (was " << got[r][i]
                << ", source " << src[i] << " + " << logp[r] << ")";
      }
    }
  }
}

// Whole runs of the tool with each kernel write byte-identical files.
class FastKernelRun : public LlrDistrFast {
 protected:
  void TearDown() override { set_llr_kernel(nullptr); }

  static std::string run(const TempDir &dir, const std::string &name, LlrKernel kernel) {
    set_llr_kernel(kernel);
    const std::string out = dir.path(name + ".out");
    const std::string seqs = dir.path(name + ".seqs"), motifs = dir.path(name + ".motifs"),
                      sites = dir.path(name + ".sites");
    RunOptions options;
    options.sequences = seqs;
    options.motifs = motifs;
    options.sites = sites;
    options.output = out;
    run_motifsig(options);
    return read_file(out);
  }

  // A workload of random sequences, motifs with the given site counts and a background.
  static void write_workload(const TempDir &dir, const std::string &name,
                             const std::string &letters, const std::vector<double> &background,
                             const std::vector<int> &site_counts, int nseqs) {
    std::mt19937 random(static_cast<unsigned>(name.size() * 1000 + site_counts.size()));
    std::ostringstream seqs, motifs, sites;
    for (int i = 0; i < nseqs; ++i) {
      seqs << ">s" << i << "\n";
      for (int k = 0; k < 60 + static_cast<int>(random() % 100); ++k) seqs << letters[random() % letters.size()];
      seqs << "\n";
    }
    motifs << "VORL version 4\n\nALPHABET= " << letters << "\nBackground letter frequencies\n";
    for (size_t a = 0; a < letters.size(); ++a) motifs << letters[a] << ' ' << background[a] << ' ';
    motifs << "\n\n";
    sites << "motif\tsequence\tstart\tsite\n";
    for (size_t m = 0; m < site_counts.size(); ++m) {
      const int w = 6 + static_cast<int>(random() % 8);
      motifs << "MOTIF " << m + 1 << "\nletter-probability matrix: alength= " << letters.size()
             << " w= " << w << " nsites= 0 E= 0\n";
      for (int i = 0; i < w; ++i) {
        std::vector<double> row(letters.size());
        double total = 0;
        for (double &p : row) total += (p = 1 + random() % 97);
        for (double p : row) motifs << "  " << p / total;
        motifs << "\n";
      }
      motifs << "\n";
      for (int s = 0; s < site_counts[m]; ++s) sites << m + 1 << "\ts" << random() % nseqs << "\t1\tX\n";
    }
    dir.write(name + ".seqs", seqs.str());
    dir.write(name + ".motifs", motifs.str());
    dir.write(name + ".sites", sites.str());
  }
};

TEST_F(FastKernelRun, OutputIsTheSameWithEitherKernel) {
  TempDir dir;
  write_workload(dir, "dna", "ACGT", {0.3, 0.2, 0.2, 0.3}, {40, 250, 251, 600, 3}, 700);
  write_workload(dir, "protein", "ACDEFGHIKLMNPQRSTVWY",
                 {0.07, 0.03, 0.05, 0.06, 0.04, 0.07, 0.02, 0.07, 0.06, 0.1, 0.02, 0.04, 0.05,
                  0.04, 0.05, 0.06, 0.05, 0.07, 0.01, 0.0},
                 {120, 45}, 200);
  for (const std::string name : {"dna", "protein"}) {
    const std::string fast = run(dir, name, fast_default);
    const std::string plain = run(dir, name, llr_distr_plain);
    ASSERT_NE(fast.find("MOTIF 2"), std::string::npos) << name;
    EXPECT_EQ(fast, plain) << name;
  }
}

}  // namespace
