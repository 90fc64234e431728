// The line rules of the sequence and site readers, and reading compressed files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/run.h"
#include "io/line_reader.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "support/temp_files.h"

namespace {

std::vector<int64_t> sequence_lengths(const std::string &content) {
  TempDir dir;
  Dataset dataset;
  read_seqs(dir.write("seqs.fa", content).c_str(), dataset);
  std::vector<int64_t> lengths;
  for (int i = 0; i < dataset.nseqs; ++i) lengths.push_back(dataset.seqs[i]->length);
  std::vector<Model> none;
  release_records(dataset, none);
  return lengths;
}

std::vector<int> site_counts(const std::string &content, int nmodels) {
  TempDir dir;
  std::vector<Model> models(nmodels);
  read_m_seqs(dir.write("sites.tsv", content).c_str(), models);
  std::vector<int> counts;
  for (const Model &m : models) counts.push_back(m.nsites);
  return counts;
}

}  // namespace

TEST(SequenceReader, HeadersAndEmptyLinesAreSkippedAndEachLineIsOneSequence) {
  EXPECT_EQ(sequence_lengths(">s1\nACGT\nACGTAC\n"), (std::vector<int64_t>{4, 6}));
  EXPECT_EQ(sequence_lengths(">s1\nACGT\nACGTAC"), (std::vector<int64_t>{4, 6}));
  EXPECT_EQ(sequence_lengths("\n\n>a\n\nAC\n\n>b\nG\n\n\n"), (std::vector<int64_t>{2, 1}));
  EXPECT_EQ(sequence_lengths(""), (std::vector<int64_t>{}));
  EXPECT_EQ(sequence_lengths(">only a header\n"), (std::vector<int64_t>{}));
}

TEST(SequenceReader, EveryByteOfALineCountsIncludingBlanksAndCarriageReturns) {
  EXPECT_EQ(sequence_lengths("   \nACGT\r\n\tA C\n"), (std::vector<int64_t>{3, 5, 4}));
}

TEST(SequenceReader, LinesLongerThanTheReadBufferAreMeasuredWhole) {
  const std::string long_line(3'500'000, 'A');
  EXPECT_EQ(sequence_lengths(">x\n" + long_line + "\nAC\n" + long_line),
            (std::vector<int64_t>{3'500'000, 2, 3'500'000}));
}

TEST(SiteReader, CountsSitesPerMotifAfterTheHeader) {
  EXPECT_EQ(site_counts("motif\tseq\n1\ta\n2\tb\n1\tc\n", 2), (std::vector<int>{2, 1}));
  EXPECT_EQ(site_counts("motif\tseq\n1\ta\n2\tb\n1\tc", 2), (std::vector<int>{2, 1}));
}

TEST(SiteReader, HeaderIsDiscardedEvenWhenItLooksLikeASite) {
  EXPECT_EQ(site_counts("1\tx\n", 1), (std::vector<int>{0}));
  EXPECT_EQ(site_counts("1\tx", 1), (std::vector<int>{0}));
  EXPECT_EQ(site_counts("", 2), (std::vector<int>{0, 0}));
}

TEST(SiteReader, NumberIsReadFromTheStartOfTheFirstField) {
  // Leading blanks, text after the digits, no TAB at all, empty lines between sites.
  EXPECT_EQ(site_counts("h\n  2\tx\n1abc\ty\n\n2 more text\n\n3\n", 3), (std::vector<int>{1, 2, 1}));
}

TEST(LineReader, CompressedAndPlainFilesGiveTheSameLines) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += ">s" + std::to_string(i) + "\n" + std::string(i % 97, 'C') + "\n";
  text += "last line without line feed";
  TempDir dir;
  for (const std::string &name : {std::string("plain.txt"), std::string("packed.gz")}) {
    const std::string path = dir.write(name, name == "plain.txt" ? text : gzip_bytes(text));
    LineReader lines(path.c_str());
    std::string joined;
    std::string_view line;
    while (lines.next(line)) {
      joined.append(line.data(), line.size());
      joined += '\n';
    }
    EXPECT_EQ(joined, text + "\n") << name;
    EXPECT_EQ(lines.line_number(), 40001) << name;
  }
}
