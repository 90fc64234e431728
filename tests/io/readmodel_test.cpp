// Reading the motif file: keyword lines, blocks, numbering by position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run.h"
#include "io/readmodel.h"
#include "support/temp_files.h"

namespace {

struct ReadResult {
  Dataset dataset;
  std::vector<Model> models;
  ~ReadResult() { release_records(dataset, models); }
};

void read_motifs(const std::string &content, ReadResult &result) {
  TempDir dir;
  readmodel(dir.write("motifs.txt", content).c_str(), result.models, result.dataset);
}

const char kTwoMotifs[] =
    "VORL version 4\n"
    "\n"
    "ALPHABET= ACGT\n"
    "Background letter frequencies\n"
    "A 0.3 C 0.2 G 0.2 T 0.3 \n"
    "\n"
    "MOTIF 7 named\n"
    "letter-probability matrix: alength= 4 w= 2 nsites= 20 E= 1e-5\n"
    "  0.7  0.1  0.1  0.1\n"
    "  0.25  0.25  0.25  0.25\n"
    "\n"
    "\n"
    "MOTIF 3\n"
    "letter-probability matrix: alength= 4 w= 1 nsites= 5 E= 1\n"
    "1 0 0 0 extra 9\n";

}  // namespace

TEST(MotifReader, ReadsAlphabetBackgroundAndMatricesInFileOrder) {
  ReadResult r;
  read_motifs(kTwoMotifs, r);
  EXPECT_STREQ(r.dataset.alphabet, "ACGT");
  EXPECT_EQ(r.dataset.alength, 4);
  EXPECT_EQ(std::vector<double>(r.dataset.background, r.dataset.background + 4),
            (std::vector<double>{0.3, 0.2, 0.2, 0.3}));
  ASSERT_EQ(r.models.size(), 2u);
  EXPECT_EQ(r.models[0].w, 2);
  EXPECT_EQ(r.models[0].matrix[0][0], 0.7);
  EXPECT_EQ(r.models[0].matrix[1][3], 0.25);
  EXPECT_EQ(r.models[1].w, 1);
  EXPECT_EQ(r.models[1].matrix[0][0], 1.0);
  for (const Model &m : r.models) {
    // The nsites and E-value written on a matrix line are not read.
    EXPECT_EQ(m.nsites, 0);
    EXPECT_EQ(m.mtype, PerSequenceB);
    EXPECT_EQ(m.palindrome, 0);
    EXPECT_EQ(m.both_strands, 0);
    EXPECT_EQ(m.log_evalue, 0);
  }
}

TEST(MotifReader, BackgroundFrequenciesGoByPositionNotByLetter) {
  ReadResult r;
  read_motifs("ALPHABET= ACGT\nx\nT 0.1 G 0.2 C 0.3 A 0.4 ignored tokens\n", r);
  EXPECT_EQ(std::vector<double>(r.dataset.background, r.dataset.background + 4),
            (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
  EXPECT_TRUE(r.models.empty());
}

TEST(MotifReader, WidthZeroMotifLetsTheNextLineBeReadAsUsual) {
  ReadResult r;
  read_motifs(
      "ALPHABET= AC\n\nA 0.5 C 0.5\n"
      "letter-probability matrix: alength= 2 w= 0 nsites= 0 E= 0\n"
      "letter-probability matrix: alength= 2 w= 1 nsites= 0 E= 0\n"
      "0.9 0.1",
      r);
  ASSERT_EQ(r.models.size(), 2u);
  EXPECT_EQ(r.models[0].w, 0);
  EXPECT_EQ(r.models[1].w, 1);
  EXPECT_EQ(r.models[1].matrix[0][1], 0.1);
}

TEST(MotifReader, AlphabetKeywordWinsOverMatrixKeywordOnOneLine) {
  ReadResult r;
  read_motifs("ALPHABET= AC letter-probability matrix\nskip\nA 0.5 C 0.5\r\n", r);
  EXPECT_STREQ(r.dataset.alphabet, "AC");
  EXPECT_TRUE(r.models.empty());
}

TEST(MotifReader, LaterAlphabetOfTheSameSizeReplacesTheFirst) {
  ReadResult r;
  read_motifs("ALPHABET= AC\n\nA 0.5 C 0.5\nALPHABET= GT\n\nG 0.9 T 0.1\n", r);
  EXPECT_STREQ(r.dataset.alphabet, "GT");
  EXPECT_EQ(r.dataset.background[0], 0.9);
}
