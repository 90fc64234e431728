// The search model and background given on the command line. A column equal to the background
// has p-value 1, so the E-value written is the number of placements itself: for lengths 10, 8
// and 5, a motif of width 6 with 2 sites has 5 * 3 * binom(3, 2) = 45 on one strand, 10 * 6 * 3
// = 180 on two, and binom(8, 2) = 28 (pooled) or (16 * 14) / 2 = 112 anywhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

const char kSeqs[] = ">a\nACGTACGTAC\n>b\nACGTACGT\n>c\nACGTA\n";
const char kMotifs[] =
    "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n\n"
    "letter-probability matrix: alength= 4 w= 6 nsites= 2 E= 0\n"
    "0.25 0.25 0.25 0.25\n0.25 0.25 0.25 0.25\n0.25 0.25 0.25 0.25\n"
    "0.25 0.25 0.25 0.25\n0.25 0.25 0.25 0.25\n0.25 0.25 0.25 0.25\n";
const char kSites[] = "motif\tseq\n1\ta\n1\tb\n";

struct ModelRun {
  RunResult result;
  std::string output;
};

ModelRun run_with(const std::vector<std::string> &options, const std::string &background = "") {
  TempDir dir;
  std::vector<std::string> args = options;
  if (!background.empty()) {
    args.push_back("--background");
    args.push_back(dir.write("bg.txt", background));
  }
  for (const auto &[name, text] : {std::pair{"s.fa", kSeqs}, {"m.txt", kMotifs}, {"t.tsv", kSites}})
    args.push_back(dir.write(name, text));
  args.push_back(dir.path("out.txt"));
  ModelRun run{run_tool(args), ""};
  run.output = read_file(dir.path("out.txt"));
  return run;
}

std::string evalue_of(const ModelRun &run) {
  const size_t at = run.output.find(" E= ");
  return at == std::string::npos ? "" : run.output.substr(at + 4, run.output.find('\n', at) - at - 4);
}

}  // namespace

TEST(SearchModel, EachModelCountsItsPlacements) {
  const struct {
    std::vector<std::string> options;
    const char *evalue;
  } cases[] = {
      {{}, "4.5e1"},
      {{"--strands", "2"}, "1.8e2"},
      {{"--strands", "2", "--palindromic"}, "4.5e1"},
      {{"--sites", "anywhere"}, "2.8e1"},
      {{"--sites", "anywhere", "--strands", "2"}, "1.12e2"},
  };
  for (const auto &c : cases) {
    ModelRun run = run_with(c.options);
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(evalue_of(run), c.evalue) << testing::PrintToString(c.options);
  }
}

TEST(SearchModel, DefaultsGiveTheSameBytesAsNoOptions) {
  const std::string plain = run_with({}).output;
  EXPECT_EQ(run_with({"--strands", "1", "--sites", "per-sequence"}).output, plain);
  EXPECT_EQ(run_with({}, "# as in the motif file\nA 0.25\nC 0.25\n\nG 0.25\nT 0.25\n").output, plain);
}

TEST(SearchModel, BackgroundFileReplacesTheMotifFilesOne) {
  // Rescaled to sum 1 like the motif file's own background.
  ModelRun run = run_with({}, "T 0.6\nG 0.2\nC 0.2\nA 0.2\n");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_NE(run.output.find("A 0.166667 C 0.166667 G 0.166667 T 0.5 \n"), std::string::npos);
}

TEST(SearchModel, BadBackgroundFilesAreRejected) {
  const struct {
    const char *text;
    const char *where;  // ":LINE: " or ": "
    const char *words;
  } cases[] = {
      {"A 0.25\nC 0.25\nG 0.5\n", ": ", "no frequency for letter 'T'"},
      {"A 0.25\nC 0.25\nA 0.25\nG 0.25\nT 0.25\n", ":3: ", "letter 'A' is given twice"},
      {"A 0.25\nC 0.25\nG 0.25\nU 0.25\n", ":4: ", "'U' is not a letter of the alphabet ACGT"},
      {"A 0.25\nC 0.25x\nG 0.25\nT 0.25\n", ":2: ", "'0.25x', is not a number"},
      {"A 0.25\nC -1\nG 0.25\nT 0.25\n", ":2: ", "is negative"},
      {"A\n", ":1: ", "expected a letter and its frequency"},
  };
  for (const auto &c : cases) {
    ModelRun run = run_with({}, c.text);
    EXPECT_EQ(run.result.status, 1) << c.text;
    EXPECT_NE(run.result.err.find(std::string("bg.txt") + c.where), std::string::npos) << run.result.err;
    EXPECT_NE(run.result.err.find(c.words), std::string::npos) << run.result.err;
    EXPECT_EQ(run.result.err.find('\n'), run.result.err.size() - 1) << run.result.err;
    EXPECT_EQ(run.output, "");
  }
}
