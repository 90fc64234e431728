// The output motif file: exact bytes, number text, E-value text, and reading it back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "driver/run.h"
#include "io/number_format.h"
#include "io/output.h"
#include "io/readmodel.h"
#include "support/temp_files.h"

namespace {

std::string general(double value) {
  std::string text;
  append_general(text, value);
  return text;
}

std::string evalue(double log_evalue) {
  std::string text;
  append_evalue(text, log_evalue);
  return text;
}

// A dataset and models built in memory, released at the end of the test.
struct Records {
  Dataset dataset;
  std::vector<Model> models;
  Records(const char *letters, std::vector<double> background) {
    dataset.alength = static_cast<int>(background.size());
    dataset.alphabet = new char[dataset.alength + 1];
    std::copy(letters, letters + dataset.alength + 1, dataset.alphabet);
    dataset.background = new double[dataset.alength];
    std::copy(background.begin(), background.end(), dataset.background);
  }
  void add(std::vector<std::vector<double>> rows, int nsites, double log_evalue) {
    Model m;
    m.w = static_cast<int>(rows.size());
    m.matrix = new double *[rows.size()];
    for (size_t i = 0; i < rows.size(); ++i) {
      m.matrix[i] = new double[rows[i].size()];
      std::copy(rows[i].begin(), rows[i].end(), m.matrix[i]);
    }
    m.nsites = nsites;
    m.log_evalue = log_evalue;
    models.push_back(m);
  }
  ~Records() { release_records(dataset, models); }
};

}  // namespace

TEST(Writer, WritesTheExactBytesOfAMotifFile) {
  Records r("ACGT", {0.3, 0.2, 0.2, 0.3});
  r.add({{0.7, 0.1, 0.1, 0.1}, {0.25, 0.25, 0.25, 0.25}}, 5, -11.5);
  r.add({}, 0, 0);
  EXPECT_EQ(format_motif_file(r.models, r.dataset),
            "VORL version 4\n"
            "\n"
            "ALPHABET= ACGT\n"
            "Background letter frequencies\n"
            "A 0.3 C 0.2 G 0.2 T 0.3 \n"
            "\n"
            "MOTIF 1\n"
            "letter-probability matrix: alength= 4 w= 2 nsites= 5 E= 1.01301e-5\n"
            "  0.7  0.1  0.1  0.1\n"
            "  0.25  0.25  0.25  0.25\n"
            "\n"
            "\n"
            "MOTIF 2\n"
            "letter-probability matrix: alength= 4 w= 0 nsites= 0 E= 1e0\n"
            "\n"
            "\n");
}

TEST(Writer, NoMotifsGivesHeaderAlphabetAndBackgroundOnly) {
  Records r("AC", {0.5, 0.5});
  EXPECT_EQ(format_motif_file(r.models, r.dataset),
            "VORL version 4\n\nALPHABET= AC\nBackground letter frequencies\nA 0.5 C 0.5 \n\n");
}

TEST(Writer, AlphabetLineHoldsEveryLetterEvenANulByte) {
  Records r("AC", {0.5, 0.5});
  r.dataset.alphabet[0] = '\0';
  const std::string text = format_motif_file(r.models, r.dataset);
  EXPECT_EQ(text.substr(0, 28), std::string("VORL version 4\n\nALPHABET= \0C\n", 28));
}

TEST(NumberText, GeneralNotationWithSixSignificantDigits) {
  EXPECT_EQ(general(0.25), "0.25");
  EXPECT_EQ(general(1.0 / 3), "0.333333");
  EXPECT_EQ(general(1.0), "1");
  EXPECT_EQ(general(0.00001), "1e-05");
  EXPECT_EQ(general(0.0001), "0.0001");
  EXPECT_EQ(general(1000000), "1e+06");
  EXPECT_EQ(general(999999.4), "999999");
  EXPECT_EQ(general(999999.5), "1e+06");
  EXPECT_EQ(general(0), "0");
  EXPECT_EQ(general(-2.5), "-2.5");
  EXPECT_EQ(general(123456789), "1.23457e+08");
}

TEST(EValueText, FollowsTheMantissaExponentTable) {
  EXPECT_EQ(evalue(-11.5), "1.01301e-5");
  EXPECT_EQ(evalue(0), "1e0");
  EXPECT_EQ(evalue(2.0), "7.38906e0");
  EXPECT_EQ(evalue(-0.5), "6.06531e-1");
  EXPECT_EQ(evalue(-100), "3.72008e-44");
  EXPECT_EQ(evalue(-1000), "5.07596e-435");
  // A mantissa of 9.96 rounds up to the next power of ten.
  EXPECT_EQ(evalue(-9.214346870037993), "1e-4");
}

TEST(EValueText, NonFiniteAndHugeExponentsStayReadable) {
  EXPECT_EQ(evalue(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(evalue(std::numeric_limits<double>::quiet_NaN()), "nan");
  // Below a million the exponent is general notation; from there on it stays a whole number.
  EXPECT_EQ(evalue(-999999.0 * std::log(10.0)).substr(0, 2), "1e");
  const std::string huge = evalue(-2760000.5 * 2.302585092994046);
  EXPECT_EQ(huge.substr(huge.find('e')), "e-2760001");
}

TEST(Writer, WrittenFileReadsBackToTheSameAlphabetWidthsAndValues) {
  Records r("ACGT", {0.1, 0.2, 0.3, 0.4});
  r.add({{0.7, 0.1, 0.1, 0.1}, {1.0 / 3, 0.0, 2.0 / 3, 0}}, 12, -3.25);
  r.add({{0.123456789, 0.2, 0.3, 0.376543211}}, 0, 4.5);
  TempDir dir;
  const std::string path = dir.path("out.txt");
  output(path.c_str(), r.models, r.dataset);
  Records back("", {});
  delete[] back.dataset.alphabet;
  delete[] back.dataset.background;
  back.dataset.alphabet = nullptr;
  back.dataset.background = nullptr;
  readmodel(path.c_str(), back.models, back.dataset);
  EXPECT_STREQ(back.dataset.alphabet, "ACGT");
  ASSERT_EQ(back.models.size(), 2u);
  EXPECT_EQ(back.models[0].w, 2);
  EXPECT_EQ(back.models[1].w, 1);
  EXPECT_EQ(back.dataset.background[3], 0.4);
  EXPECT_EQ(back.models[0].matrix[1][0], 0.333333);
  EXPECT_EQ(back.models[0].matrix[1][2], 0.666667);
  EXPECT_EQ(back.models[1].matrix[0][0], 0.123457);
  EXPECT_EQ(back.models[0].nsites, 0);
}
