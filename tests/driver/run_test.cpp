// Runs of the built tool: progress lines, the example's results, compressed inputs, locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/temp_files.h"

namespace {

const std::string kExamples = MOTIFSIG_EXAMPLES;

const char kTwoMotifs[] =
    "ALPHABET= ACGT\nBackground letter frequencies\nA 0.3 C 0.3 G 0.3 T 0.3\n\n"
    "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 0 E= 0\n"
    "0.7 0.1 0.1 0.1\n0.1 0.1 0.1 0.7\n\n"
    "MOTIF 2\nletter-probability matrix: alength= 4 w= 1 nsites= 0 E= 0\n"
    "0.25 0.25 0.25 0.25\n";

}  // namespace

TEST(Run, AnnouncesEachStepAndEachMotifInOrder) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", ">a\nACGTACGTAC\n>b\nACGTACGT\n>c\nACGTA\n");
  const std::string motifs = dir.write("m.txt", kTwoMotifs);
  const std::string sites = dir.write("t.tsv", "header\n1\ta\n1\tb\n2\tc\n");
  RunResult r = run_tool({seqs, motifs, sites, dir.path("out.txt"), "ignored", "extra"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "reading original data file...\n"
            "reading models...\n"
            "reading motif sequences...\n"
            "calculating evalues...\n"
            "calculating evalue for motif 1\n"
            "calculating evalue for motif 2\n");
  EXPECT_EQ(r.err, "");
  const std::string out = read_file(dir.path("out.txt"));
  // The background was rescaled to sum 1 by the statistics. Motif 2 has one site: its E-value
  // is the 10 positions of the longest sequence times the 3 sequences it may lie in.
  EXPECT_NE(out.find("A 0.25 C 0.25 G 0.25 T 0.25 \n"), std::string::npos) << out;
  EXPECT_NE(out.find("w= 1 nsites= 1 E= 3e1\n"), std::string::npos) << out;
}

TEST(Run, MotifFileWithoutMatricesStillWritesTheHeader) {
  TempDir dir;
  const std::string seqs = dir.write("s.fa", "");
  const std::string motifs = dir.write("m.txt", "ALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7\n");
  const std::string sites = dir.write("t.tsv", "");
  RunResult r = run_tool({seqs, motifs, sites, dir.path("out.txt")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(dir.path("out.txt")),
            "VORL version 4\n\nALPHABET= AC\nBackground letter frequencies\nA 0.3 C 0.7 \n\n");
}

TEST(Run, ExamplesGiveTheirKnownEValues) {
  TempDir dir;
  RunResult dna = run_tool({kExamples + "/peaks.fa", kExamples + "/motifs.txt", kExamples + "/sites.tsv",
                            dir.path("dna.txt")});
  ASSERT_EQ(dna.status, 0) << dna.err;
  EXPECT_EQ(read_file(dir.path("dna.txt")), read_file(std::string(MOTIFSIG_TEST_DATA) + "/example_output.txt"));
  const std::string protein = kExamples + "/protein/";
  RunResult aa = run_tool({protein + "proteins.fa", protein + "motifs.txt", protein + "sites.tsv",
                           dir.path("protein.txt")});
  ASSERT_EQ(aa.status, 0) << aa.err;
  EXPECT_EQ(read_file(dir.path("protein.txt")), read_file(std::string(MOTIFSIG_TEST_DATA) + "/protein_output.txt"));
}

TEST(Run, CompressedInputsGiveTheSameOutput) {
  TempDir dir;
  std::vector<std::string> packed;
  for (const char *name : {"peaks.fa", "motifs.txt", "sites.tsv"})
    packed.push_back(dir.write(std::string(name) + ".gz", gzip_bytes(read_file(kExamples + "/" + name))));
  RunResult r = run_tool({packed[0], packed[1], packed[2], dir.path("out.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir.path("out.txt")), read_file(std::string(MOTIFSIG_TEST_DATA) + "/example_output.txt"));
}

TEST(Run, OutputDoesNotDependOnTheLocale) {
  TempDir dir;
  const std::string locales = dir.path("locales");
  const std::string make = "mkdir -p '" + locales + "' && localedef -i de_DE -f UTF-8 '" + locales +
                           "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "cannot build a German locale here";
  RunResult r = run_tool({kExamples + "/peaks.fa", kExamples + "/motifs.txt", kExamples + "/sites.tsv",
                          dir.path("out.txt")},
                         {"LOCPATH=" + locales, "LC_ALL=de_DE.UTF-8"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir.path("out.txt")), read_file(std::string(MOTIFSIG_TEST_DATA) + "/example_output.txt"));
}
