// Bad input files and failed output: one clear line on standard error naming the file (and the
// line), exit status 1, and the output path left exactly as it was.
#include <gtest/gtest.h>

#include <string>

#include "support/temp_files.h"

namespace {

const char kSeqs[] = ">a\nACGTACGTAC\n>b\nACGTACGT\n>c\nACGTA\n";
const char kMotifs[] =
    "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n\n"
    "letter-probability matrix: alength= 4 w= 2 nsites= 2 E= 0\n"
    "0.7 0.1 0.1 0.1\n0.1 0.1 0.1 0.7\n";
const char kSites[] = "motif\tseq\n1\ta\n1\tb\n";
const char kEarlierOutput[] = "an earlier result\n";

// Runs the tool with one input replaced and checks the failure. `line` 0: no line number.
void expect_rejected(const std::string &which, const std::string &content, int line,
                     const std::string &words) {
  TempDir dir;
  const std::string seqs = dir.write("seqs.fa", which == "seqs" ? content : kSeqs);
  const std::string motifs = dir.write("motifs.txt", which == "motifs" ? content : kMotifs);
  const std::string sites = dir.write("sites.tsv", which == "sites" ? content : kSites);
  const std::string out = dir.write("out.txt", kEarlierOutput);
  const std::string bad = which == "seqs" ? seqs : which == "motifs" ? motifs : sites;
  RunResult r = run_tool({seqs, motifs, sites, out});
  EXPECT_EQ(r.status, 1) << r.err;
  std::string where = "motifsig: " + bad + (line > 0 ? ":" + std::to_string(line) : "") + ": ";
  EXPECT_EQ(r.err.rfind(where, 0), 0u) << r.err;
  EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  EXPECT_EQ(read_file(out), kEarlierOutput);
}

std::string motifs_with(const std::string &tail) {
  return "ALPHABET= ACGT\nBackground letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n" + tail;
}

}  // namespace

TEST(BadInput, FilesThatCannotBeOpened) {
  TempDir dir;
  const std::string good_seqs = dir.write("s.fa", kSeqs), good_motifs = dir.write("m.txt", kMotifs),
                    good_sites = dir.write("t.tsv", kSites), out = dir.path("out.txt");
  const std::string missing = dir.path("missing.fa");
  for (int position = 0; position < 3; ++position) {
    std::vector<std::string> args = {good_seqs, good_motifs, good_sites, out};
    args[position] = missing;
    RunResult r = run_tool(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "motifsig: " + missing + ": cannot open file: No such file or directory\n");
    EXPECT_FALSE(file_exists(out));
  }
  RunResult r = run_tool({dir.path(""), good_motifs, good_sites, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a directory"), std::string::npos);
}

TEST(BadInput, MotifFileStructure) {
  expect_rejected("motifs", "MOTIF 1\nnothing here\n", 0, "no ALPHABET line");
  expect_rejected("motifs", "letter-probability matrix: alength= 4 w= 1\n0.25 0.25 0.25 0.25\n", 1,
                  "comes before any ALPHABET line");
  expect_rejected("motifs", "\nALPHABET=\nx\nA 1\n", 2, "no letters");
  expect_rejected("motifs", "ALPHABET= ACGT\nBackground letter frequencies\n", 2,
                  "ends inside the alphabet block");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 2\n0.25 0.25 0.25 0.25\n"),
                  5, "ends inside a matrix");
  expect_rejected("motifs", motifs_with("ALPHABET= ACG\nx\nA 0.3 C 0.3 G 0.4\n"), 4,
                  "has 3 letters but the first alphabet in the file has 4");
}

TEST(BadInput, MotifFileNumbers) {
  expect_rejected("motifs", "ALPHABET= ACGT\nx\nA 0.25 C 0.25 G 0.25\n", 3, "gives 3 of the 4");
  expect_rejected("motifs", "ALPHABET= ACGT\nx\nA 0.25 C 0.25C G 0.25 T 0.25\n", 3, "'0.25C' is not a number");
  expect_rejected("motifs", "ALPHABET= ACGT\nx\nA 0.25 C nan G 0.25 T 0.25\n", 3, "'nan' is not a number");
  expect_rejected("motifs", "ALPHABET= ACGT\nx\nA 0.25 C -0.25 G 0.25 T 0.25\n", 3, "is negative");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 2.5\n"), 4,
                  "width of motif 1, '2.5'");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= -1\n"), 4,
                  "width of motif 1, '-1'");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w=\n"), 4, "gives no width");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 301\n"), 4,
                  "motif 1 is 301 columns wide; the limit is 300");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 2\n0.25 0.25 0.25 0.25\n\n"),
                  6, "row 2 of motif 1 has 0 of the 4");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 1\n0.25 0.25 1e999 0.25\n"),
                  5, "'1e999' is not a number");
  expect_rejected("motifs", motifs_with("letter-probability matrix: alength= 4 w= 1\n0.25 inf 0.25 0.25\n"),
                  5, "'inf' is not a number");
}

TEST(BadInput, SiteFile) {
  expect_rejected("sites", "header\n1\ta\nfirst\tb\n", 3, "does not begin with a motif number");
  expect_rejected("sites", "header\n2\ta\n", 2, "site of motif 2, but motifs are numbered 1 to 1");
  expect_rejected("sites", "header\n0\ta\n", 2, "site of motif 0, but motifs are numbered 1 to 1");
  expect_rejected("sites", "header\n-3\ta\n", 2, "motif -3");
  expect_rejected("sites", "header\n99999999999999\ta\n", 2, "numbered 1 to 1");
}

TEST(BadInput, EmptySequenceSetWithSitesStopsAtTheLengthCache) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", ">only headers\n"), motifs = dir.write("m.txt", kMotifs),
                    sites = dir.write("t.tsv", kSites), out = dir.write("out.txt", kEarlierOutput);
  RunResult r = run_tool({seqs, motifs, sites, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Resize(len, nseqs, int) failed!\nnseqs = 0\n");
  EXPECT_EQ(read_file(out), kEarlierOutput);
}

TEST(BadInput, CompressedFileThatIsTruncatedOrCorrupt) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += ">s\nACGTTGCAAGCT" + std::to_string(i) + "\n";
  const std::string packed = gzip_bytes(text);
  expect_rejected("seqs", packed.substr(0, packed.size() / 2), 0, "truncated");
  std::string corrupt = packed;
  for (size_t i = 20; i < corrupt.size() - 10; i += 7) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
  expect_rejected("seqs", corrupt, 0, "corrupt");
}

TEST(BadOutput, FailedOutputIsAnErrorAndLeavesNoFile) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", kSeqs), motifs = dir.write("m.txt", kMotifs),
                    sites = dir.write("t.tsv", kSites);
  const std::string out = dir.path("no-such-dir/out.txt");
  RunResult r = run_tool({seqs, motifs, sites, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("motifsig: " + out + ": cannot create the output file", 0), 0u) << r.err;
  EXPECT_FALSE(file_exists(out));

  RunResult full = run_tool({seqs, motifs, sites, "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err.rfind("motifsig: /dev/full: cannot write the output", 0), 0u) << full.err;
}

TEST(BadOutput, SuccessfulRunReplacesTheEarlierFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", kSeqs), motifs = dir.write("m.txt", kMotifs),
                    sites = dir.write("t.tsv", kSites), out = dir.write("out.txt", kEarlierOutput);
  RunResult r = run_tool({seqs, motifs, sites, out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(out).rfind("VORL version 4\n", 0), 0u);
  RunResult listing_check = run_tool({seqs, motifs, sites, "/dev/null"});
  EXPECT_EQ(listing_check.status, 0) << listing_check.err;
  EXPECT_EQ(std::system(("test $(ls '" + dir.path("") + "' | wc -l) -eq 4").c_str()), 0);
}

TEST(CommandLine, UsageHelpAndVersion) {
  RunResult few = run_tool({"a", "b", "c"});
  EXPECT_EQ(few.status, 2);
  EXPECT_EQ(few.err.rfind("motifsig: expected 4 file names, got 3\n", 0), 0u) << few.err;
  EXPECT_TRUE(few.out.empty());
  for (const char *flag : {"-h", "--help"}) {
    RunResult help = run_tool({flag});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT", 0), 0u);
    EXPECT_TRUE(help.err.empty());
  }
  RunResult version = run_tool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("motifsig ", 0), 0u);
}
