// The file formats beyond what the whole-tool table pins: the motif file's keyword lines and
// blocks, the site file's motif numbers, lines longer than the read buffer, plain or compressed,
// and the output's alphabet line and E-value text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "io/line_reader.h"
#include "io/number_format.h"
#include "io/output.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "support/records.h"
#include "support/temp_files.h"

namespace {

// The alphabet, the background and each motif ("id alt w=N: rows") as one line of text.
std::string summary(const TestRecords &r) {
  std::ostringstream text;
  text << r.dataset.alphabet << ':';
  for (int j = 0; j < r.dataset.alength; ++j) text << ' ' << r.dataset.background[j];
  for (const Model &m : r.models) {
    text << "; " << m.id << ' ' << m.alt << " w=" << m.w << ':';
    for (int i = 0; i < m.w * r.dataset.alength; ++i)
      text << ' ' << m.matrix[i / r.dataset.alength][i % r.dataset.alength];
    if (m.nsites != 0 || m.log_evalue != 0) text << " (nsites or E read)";
  }
  return text.str();
}

TEST(MotifReader, KeywordLinesAndBlocks) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      // Motifs in file order with their names; nsites, E and extra row numbers are unread.
      {"VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\nA 0.3 C 0.2 G 0.2 T 0.3\n"
       "\nMOTIF 7 named\nletter-probability matrix: alength= 4 w= 2 nsites= 20 E= 1e-5\n"
       "  0.7  0.1  0.1  0.1\n  0.25  0.25  0.25  0.25\n\n\n"
       "MOTIF 3\nletter-probability matrix: alength= 4 w= 1 nsites= 5 E= 1\n1 0 0 0 extra 9\n",
       "ACGT: 0.3 0.2 0.2 0.3; 7 named w=2: 0.7 0.1 0.1 0.1 0.25 0.25 0.25 0.25; 3  w=1: 1 0 0 0"},
      // The background goes by position, not by letter.
      {"ALPHABET= ACGT\nx\nT 0.1 G 0.2 C 0.3 A 0.4 ignored tokens\n", "ACGT: 0.1 0.2 0.3 0.4"},
      // A width-zero motif lets the next line be read as usual.
      {"ALPHABET= AC\n\nA 0.5 C 0.5\nletter-probability matrix: alength= 2 w= 0 nsites= 0 E= 0\n"
       "letter-probability matrix: alength= 2 w= 1 nsites= 0 E= 0\n0.9 0.1",
       "AC: 0.5 0.5;   w=0:;   w=1: 0.9 0.1"},
      // The alphabet keyword wins over the matrix keyword on one line.
      {"ALPHABET= AC letter-probability matrix\nskip\nA 0.5 C 0.5\r\n", "AC: 0.5 0.5"},
      // A later alphabet of the same size replaces the first.
      {"ALPHABET= AC\n\nA 0.5 C 0.5\nALPHABET= GT\n\nG 0.9 T 0.1\n", "GT: 0.9 0.1"},
  };
  // clang-format on
  for (const auto &[content, expected] : cases) {
    TempDir dir;
    TestRecords r;
    readmodel(dir.write("motifs.txt", content).c_str(), r.models, r.dataset);
    EXPECT_EQ(summary(r), expected);
  }
}

TEST(SiteReader, CountsSitesPerMotifAfterTheHeader) {
  const std::pair<std::string, std::vector<int>> cases[] = {
      {"motif\tseq\n1\ta\n2\tb\n1\tc\n", {2, 1, 0}},
      {"1\tx\n", {0, 0, 0}},  // the header is discarded even when it looks like a site
      {"", {0, 0, 0}},
      // Leading blanks, text after the digits, no TAB at all, lines empty or of blanks, CRLF.
      {"h\n  2\tx\n1abc\ty\n\n2 more text\n \t\r\n3\r\n\r\n", {1, 2, 1}},
  };
  for (const auto &[content, expected] : cases) {
    TempDir dir;
    std::vector<Model> models(3);
    read_m_seqs(dir.write("sites.tsv", content).c_str(), models);
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(models[k].nsites, expected[k]) << k << ": " << content;
  }
}

// Lines longer than the read buffer and many short ones across its refills; the last line has
// no line feed. The line reader gives each whole, and the sequence reader measures each.
TEST(LineReader, LongAndShortLinesPlainOrCompressed) {
  const std::string long_line(3'500'000, 'A');
  std::string text = ">x\n" + long_line + "\n";
  for (int i = 0; i < 20000; ++i) text += std::string(i % 97 + 1, 'C') + "\n";
  text += long_line;
  TempDir dir;
  for (const std::string &file : {dir.write("txt", text), dir.write("gz", gzip_bytes(text))}) {
    LineReader lines(file.c_str());
    std::string joined;
    for (std::string_view line; lines.next(line);) joined.append(line).push_back('\n');
    EXPECT_TRUE(joined == text + "\n") << file;
    EXPECT_EQ(lines.line_number(), 20003) << file;
    TestRecords r;
    read_seqs(file.c_str(), r.dataset, r.warnings);
    ASSERT_EQ(r.dataset.nseqs, 20002) << file;
    EXPECT_EQ(r.dataset.seqs[97]->length, 97) << file;
    EXPECT_EQ(r.dataset.seqs[0]->length + r.dataset.seqs[20001]->length, 7'000'000) << file;
  }
}

TEST(Writer, WritesEveryLetterOfTheAlphabetEvenANulByte) {
  motifsig::Result r;
  r.alphabet.assign("\0CGT", 4);
  r.background = {0.3, 0.2, 0.2, 0.3};
  EXPECT_EQ(format_motif_file(r).substr(0, 30),
            std::string("VORL version 4\n\nALPHABET= \0CGT\n", 30));
}

TEST(EValueText, MantissaAndExponent) {
  const double inf = std::numeric_limits<double>::infinity(), ln10 = std::log(10.0);
  const std::pair<double, std::string> cases[] = {
      {-11.5, "1.01301e-5"},
      {2.0, "7.38906e0"},
      {-0.5, "6.06531e-1"},
      {-1000, "5.07596e-435"},
      {inf, "inf"},
      {NAN, "nan"},
      {-9.214346870037993, "1e-4"},  // a mantissa of 9.96 rounds up to the next power of ten
      // From a million on the exponent stays a whole number, not general notation.
      {-999999.0 * ln10, "1e-999999"},
      {-2760000.5 * 2.302585092994046, "3.16228e-2760001"},
  };
  for (const auto &[log_evalue, expected] : cases) {
    std::string text;
    append_evalue(text, log_evalue);
    EXPECT_EQ(text, expected) << log_evalue;
  }
}

}  // namespace
