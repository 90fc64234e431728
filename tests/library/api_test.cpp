// The library as a program embedding it uses it: its results against the tool's, inputs from
// files and from memory, several analyses in one process and at once, and faults that come back
// as exceptions with the tool's message while the process goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "motifsig/motifsig.h"
#include "records/records.h"
#include "support/temp_files.h"

namespace {

struct Example {
  std::string seqs, motifs, sites, tsv;
};
const Example kExamples[] = {
    {MOTIFSIG_EXAMPLES "/peaks.fa", MOTIFSIG_EXAMPLES "/motifs.txt", MOTIFSIG_EXAMPLES "/sites.tsv",
     MOTIFSIG_TEST_DATA "/example_report.tsv"},
    {MOTIFSIG_EXAMPLES "/protein/proteins.fa", MOTIFSIG_EXAMPLES "/protein/motifs.txt",
     MOTIFSIG_EXAMPLES "/protein/sites.tsv", MOTIFSIG_TEST_DATA "/protein_report.tsv"}};

motifsig::Inputs from_files(const Example &example) {
  motifsig::Inputs inputs;
  inputs.sequences_path = example.seqs;
  inputs.motifs_path = example.motifs;
  inputs.sites_path = example.sites;
  return inputs;
}

// The same data read here and handed over in memory; with `by_number`, the site counts keyed by
// motif number, the motifs without sites left out.
motifsig::Inputs in_memory(const Example &example, bool by_number) {
  Records r;
  Warnings warnings;
  read_seqs(example.seqs.c_str(), r.dataset, warnings);
  readmodel(example.motifs.c_str(), r.models, r.dataset);
  read_m_seqs(example.sites.c_str(), r.models);
  motifsig::Inputs inputs;
  if (by_number) inputs.site_counts_by_number.emplace();
  for (int i = 0; i < r.dataset.nseqs; ++i)
    inputs.sequence_lengths.push_back(r.dataset.seqs[i]->length);
  inputs.alphabet.assign(r.dataset.alphabet, r.dataset.alength);
  inputs.background.assign(r.dataset.background, r.dataset.background + r.dataset.alength);
  for (const Model &m : r.models) {
    motifsig::MotifMatrix &matrix = inputs.motifs.emplace_back();
    matrix.id = m.id;
    matrix.alt = m.alt;
    for (int i = 0; i < m.w; ++i)
      matrix.rows.emplace_back(m.matrix[i], m.matrix[i] + r.dataset.alength);
    if (!by_number)
      inputs.site_counts.push_back(m.nsites);
    else if (m.nsites > 0)
      (*inputs.site_counts_by_number)[static_cast<int64_t>(inputs.motifs.size())] = m.nsites;
  }
  return inputs;
}

// Every number of the results, to the bit.
std::vector<double> numbers(const motifsig::Result &result) {
  std::vector<double> all;
  for (const motifsig::MotifResult &m : result.motifs) {
    all.insert(all.end(), {static_cast<double>(m.width), static_cast<double>(m.nsites), m.llr,
                           m.log_evalue, m.log10_evalue});
    for (const motifsig::ColumnResult &c : m.columns)
      all.insert(all.end(), {c.rel_entropy, c.llr, c.log_pvalue});
  }
  return all;
}

bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(Library, ResultsEqualTheToolsFromFilesAndFromMemory) {
  for (const Example &example : kExamples) {
    SCOPED_TRACE(example.motifs);
    TempDir dir;
    const std::string out = dir.path("out.txt"), json = dir.path("r.json");
    ASSERT_EQ(
        run_tool({"-q", "--json", json, example.seqs, example.motifs, example.sites, out}).status,
        0);
    const motifsig::Result files = motifsig::analyse(from_files(example));
    EXPECT_EQ(motifsig::tsv_text(files), read_file(example.tsv));
    EXPECT_EQ(motifsig::motif_file_text(files), read_file(out));
    // The JSON document but for the run's date, command line and output file.
    const nlohmann::json written = nlohmann::json::parse(read_file(json));
    const nlohmann::json text = nlohmann::json::parse(motifsig::json_text(files));
    for (const char *key : {"inputs", "model", "warnings", "motifs"})
      EXPECT_EQ(text[key], written[key]) << key;
    motifsig::Result cut = files;  // sizes that disagree are refused, never read past
    cut.motifs.back().matrix.back().pop_back();
    EXPECT_THROW(motifsig::html_text(cut), motifsig::Error);
    EXPECT_THROW(motifsig::motif_file_text(cut), motifsig::Error);

    const motifsig::Inputs given = in_memory(example, &example == &kExamples[1]);
    const motifsig::Result memory = motifsig::analyse(given);
    EXPECT_TRUE(same_bits(numbers(memory), numbers(files)));
    EXPECT_EQ(motifsig::motif_file_text(memory), read_file(out));
    for (const motifsig::Result *result : {&files, &memory}) {
      EXPECT_EQ(result->alphabet, given.alphabet);
      for (size_t k = 0; k < given.motifs.size(); ++k)
        EXPECT_EQ(result->motifs[k].matrix, given.motifs[k].rows) << "motif " << k + 1;
    }
  }
}

// A flag set from another thread stops a long analysis at once, whatever its method, kernel or
// threads, by Cancelled; a flag set before the start stops it before the statistics.
TEST(Library, CancellationStopsALongAnalysisWithinATenthOfASecond) {
  motifsig::Inputs dna;  // one motif of 20,000 sites: seconds on the lattice
  dna.sequence_lengths.assign(30000, 100);
  dna.alphabet = "ACGT";
  dna.background = {0.25, 0.25, 0.25, 0.25};
  dna.motifs = {{{{0.7, 0.1, 0.1, 0.1}, {0.1, 0.7, 0.1, 0.1}}, "", ""}};
  dna.site_counts = {20000};
  motifsig::Inputs protein;  // 60 different columns of 300 sites: seconds, accurately
  protein.sequence_lengths.assign(20000, 500);
  protein.alphabet = "ACDEFGHIKLMNPQRSTVWY";
  protein.background.assign(20, 0.05);
  protein.motifs.resize(1);
  protein.site_counts = {300};
  for (int i = 0; i < 60; ++i) {
    const double lead = 0.2 + 0.01 * i;
    protein.motifs[0].rows.emplace_back(20, (1 - lead) / 19);
    protein.motifs[0].rows.back()[size_t(i % 20)] = lead;
  }
  motifsig::SearchModel accurate;
  accurate.pvalues = motifsig::PvalueMethod::accurate;
  struct Case {
    const motifsig::Inputs *inputs;
    motifsig::SearchModel model;
    bool plain_kernel;
    int threads, delay_ms;
  };
  for (const Case &c : {Case{&dna, {}, false, 2, 300}, Case{&dna, {}, false, 1, 0},
                        Case{&dna, {}, true, 1, 300}, Case{&protein, accurate, false, 2, 300}}) {
    SCOPED_TRACE(c.inputs->alphabet + (c.plain_kernel ? " plain " : " ") +
                 std::to_string(c.threads));
    std::atomic<bool> cancel{c.delay_ms == 0};
    motifsig::RunControl control;
    control.cancel = &cancel;
    control.plain_kernel = c.plain_kernel;
    control.threads = c.threads;
    using Clock = std::chrono::steady_clock;
    Clock::time_point set = Clock::now();
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(c.delay_ms));
      set = Clock::now();
      cancel = true;
    });
    try {
      motifsig::analyse(*c.inputs, c.model, control);
      ADD_FAILURE() << "not cancelled";
    } catch (const motifsig::Cancelled &error) {
      EXPECT_EQ(error.exit_status(), 130);
    }
    stopper.join();
    // A tenth of a second, with room for a machine busy with other work.
    EXPECT_LT(Clock::now() - set, std::chrono::milliseconds(500));
  }
}

// The lattice warning is judged per motif from its columns together, and is one line for all
// the motifs it concerns: width-15 DNA motifs of 200 sites are 10-fold or more off, a motif of
// 12 columns and 30 sites is not.
TEST(Library, OneLatticeWarningNamesTheMotifsLikelyOffTenfold) {
  motifsig::Inputs inputs;
  inputs.sequence_lengths.assign(2000, 200);
  inputs.alphabet = "ACGT";
  inputs.background = {0.29, 0.21, 0.21, 0.29};
  for (int width : {15, 15, 15, 15, 15, 15, 15, 12}) {
    inputs.motifs.push_back(
        {std::vector<std::vector<double>>(width, {0.7, 0.1, 0.1, 0.1}), "", ""});
    inputs.site_counts.push_back(width == 15 ? 200 : 30);
  }
  const std::vector<motifsig::Warning> warnings = motifsig::analyse(inputs).warnings;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].message.find("7 motifs (1, 2, 3, 4, 5, ...) have enough sites"), 0u)
      << warnings[0].message;
}

// Results must not depend on what else the process computed before or computes at the same
// time: each analysis has its own distributions, built from its own background.
TEST(Library, AnalysesInOneProcessAndOnFourThreadsEqualSeparateRuns) {
  TempDir dir;
  const Example &dna = kExamples[0];
  const std::string skewed = dir.write("bg", "A 0.1\nC 0.4\nG 0.4\nT 0.1\n");
  struct Setting {
    std::vector<std::string> options;
    const Example *example;
    motifsig::SearchModel model;
    std::vector<double> background;
    bool plain_kernel;
  };
  motifsig::SearchModel both;  // two strands, accurate p-values
  both.strands = 2;
  both.pvalues = motifsig::PvalueMethod::accurate;
  const Setting settings[] = {{{}, &dna, {}, {}, false},
                              {{"--background", skewed}, &dna, {}, {0.1, 0.4, 0.4, 0.1}, true},
                              {{"--strands", "2", "--pvalues", "accurate"}, &dna, both, {}, false},
                              {{}, &kExamples[1], {}, {}, false}};
  std::vector<std::string> expected;
  for (const Setting &s : settings) {
    std::vector<std::string> args = s.options;
    args.insert(args.end(), {"-q", "--tsv", dir.path("r.tsv"), s.example->seqs, s.example->motifs,
                             s.example->sites, "/dev/null"});
    ASSERT_EQ(run_tool(args).status, 0);
    expected.push_back(read_file(dir.path("r.tsv")));
  }
  auto analyse = [&](motifsig::Analyser &analyser, const Setting &s) {
    motifsig::Inputs inputs = from_files(*s.example);
    inputs.background_override = s.background;
    motifsig::RunControl control;
    control.plain_kernel = s.plain_kernel;
    return motifsig::tsv_text(analyser.analyse(inputs, s.model, control));
  };
  motifsig::Analyser one;
  for (size_t k : {0, 1, 0, 3, 2})
    EXPECT_EQ(analyse(one, settings[k]), expected[k]) << "one after another, setting " << k;
  std::vector<std::string> got(4);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < 4; ++k)
    threads.emplace_back([&, k] {
      motifsig::Analyser own;
      got[k] = analyse(own, settings[k]);
    });
  for (std::thread &t : threads) t.join();
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(got[k], expected[k]) << "at once, setting " << k;
}

// A fault from a file is the tool's message, status and all; a fault in data given in memory
// names the motif, row or letter. Either way the process carries on.
TEST(Library, InputFaultsComeBackAsErrors) {
  TempDir dir;
  const Example &dna = kExamples[0];
  const std::string bad_row =
      dir.write("m", "ALPHABET= AC\nx\nA 0.5 C 0.5\nletter-probability matrix: w= 1\n0.5 0.6\n");
  struct FileCase {
    std::vector<std::string> files;  // sequences, motifs, sites, output
    bool palindromic;                // on one strand: a usage error
  };
  const FileCase file_cases[] = {
      {{dir.path("none"), dna.motifs, dna.sites, "/dev/null"}, false},
      {{dna.seqs, bad_row, "/dev/null", "/dev/null"}, false},
      {{dna.seqs, dna.motifs, dna.motifs, "/dev/null"}, false},
      {{dir.write("e", ">only\n"), dna.motifs, dna.sites, "/dev/null"}, false},
      {{dna.seqs, dna.motifs, dna.sites, "/dev/null"}, true},
      {{dna.seqs, dna.motifs, dna.sites, dna.sites}, false},
  };
  for (const FileCase &c : file_cases) {
    std::vector<std::string> args = c.files;
    if (c.palindromic) args.insert(args.begin(), "--palindromic");
    const RunResult tool = run_tool(args);
    SCOPED_TRACE(tool.err);
    motifsig::Inputs inputs;
    inputs.sequences_path = c.files[0];
    inputs.motifs_path = c.files[1];
    inputs.sites_path = c.files[2];
    motifsig::Outputs outputs;
    outputs.motif_file = c.files[3];
    try {
      motifsig::SearchModel model;
      model.palindromic = c.palindromic;
      motifsig::write(motifsig::analyse(inputs, model), outputs);
      ADD_FAILURE() << "no error";
    } catch (const motifsig::Error &error) {
      EXPECT_EQ(error.exit_status(), tool.status);
      // The library names the settings plainly; the tool spells them as its options.
      std::string what = error.what();
      if (c.palindromic && what.rfind("palindromic needs strands 2:", 0) == 0)
        what.replace(0, 27, "--palindromic needs --strands 2");
      // The allocation failure of an empty sequence set is printed as it stands, after a line
      // that names the file.
      const bool bare = !error.prefixed();
      if (what.find("\nResize(") != std::string::npos) {
        EXPECT_EQ(error.file(), c.files[0]);
      }
      const std::string help =
          tool.status == 2 ? "\nTry 'motifsig --help' for more information." : "";
      EXPECT_EQ(tool.err, (bare ? "" : "motifsig: ") + what + help + "\n");
    }
  }

  auto in_memory_fault = [](const motifsig::Inputs &inputs) {
    try {
      motifsig::analyse(inputs);
    } catch (const motifsig::Error &error) {
      EXPECT_EQ(error.exit_status(), 1);
      EXPECT_EQ(error.file(), "");
      return std::string(error.what());
    }
    return std::string("no error");
  };
  motifsig::Inputs good;
  good.sequence_lengths = {10, 8};
  good.alphabet = "ACGT";
  good.background = {0.25, 0.25, 0.25, 0.25};
  good.motifs = {{{{0.7, 0.1, 0.1, 0.1}}, "m1", ""}};
  good.site_counts = {2};
  EXPECT_EQ(in_memory_fault(good), "no error");
// A change that spoils the good inputs.
#define SPOIL(change) [](motifsig::Inputs &in) { change; }
  const std::pair<std::function<void(motifsig::Inputs &)>, std::string> memory_cases[] = {
      {SPOIL(in.background.pop_back()), "the background gives 3 of the 4 letter frequencies"},
      {SPOIL(in.background[1] = -0.25), "frequency -0.25 of letter 'C' is negative"},
      {SPOIL(in.background = std::vector<double>(4, 0)),
       "the background frequencies are all 0: at least one letter needs a frequency above 0"},
      {SPOIL(in.background_override = std::vector<double>(4, 1e308)),
       "the background frequencies add up to more than the largest number, so they cannot be "
       "rescaled to sum 1: give frequencies (or smaller counts)"},
      {SPOIL(in.motifs[0].rows[0].pop_back()),
       "matrix row 1 of motif 1 has 3 probabilities for the 4 letters"},
      {SPOIL(in.motifs[0].rows[0] = std::vector<double>(4, 2.5)),
       "row 1 of motif 1 ('m1') sums to 10, not 1: the rows must be letter probabilities, not "
       "counts or percentages (divide each value by its row's sum)"},
      {SPOIL(in.site_counts.clear()), "0 site counts for 1 motifs: give one per motif"},
      {SPOIL(in.site_counts.clear(); in.site_counts_by_number.emplace()[2] = 1),
       "site of motif 2, but motifs are numbered 1 to 1"},
      {SPOIL(in.motifs.clear(); in.site_counts.clear(); in.site_counts_by_number.emplace()[1] = 2),
       "site of motif 1, but there are no motifs"},
      {SPOIL(in.site_counts_by_number.emplace()[1] = 2),
       "site counts given both in the motifs' order and by motif number: give one"},
      {SPOIL(in.sequence_lengths.clear()), "no sequences: give at least one"},
      {SPOIL(in.sequence_lengths[1] = 0),
       "sequence 2 has length 0; a sequence has at least one letter"},
      // A name is one field of the TSV report, one token of a motif file.
      {SPOIL(in.motifs[0].id = "a\tb"),
       "the id of motif 1, 'a\\x09b', holds a TAB, carriage return or line feed: a name must "
       "fit one field of the TSV report"},
  };
#undef SPOIL
  for (const auto &[spoil, message] : memory_cases) {
    motifsig::Inputs inputs = good;
    spoil(inputs);
    EXPECT_EQ(in_memory_fault(inputs), message);
  }
  for (const auto &[counts, background] :
       std::vector<std::pair<std::vector<int64_t>, std::vector<double>>>{
           {{1, -1}, {0.5, 0.5}},
           {{1, 1}, {0.5, 0.25, 0.25}},
           {{1}, {}},
           {{1, 1}, {0, 0}},
           {{1, 1}, {1e308, 1e308}}})
    EXPECT_THROW(motifsig::column_log_pvalue(counts, background), motifsig::Error);
}

}  // namespace
