// The output motif file: its exact bytes and the text of the E-values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "io/number_format.h"
#include "io/output.h"
#include "support/records.h"

TEST(Writer, WritesTheExactBytesOfAMotifFile) {
  TestRecords r("ACGT", {0.3, 0.2, 0.2, 0.3});
  r.add({{0.7, 0.1, 0.1, 0.1}, {0.25, 0.25, 0.25, 0.25}}, 5).log_evalue = -11.5;
  r.add({}, 0);
  EXPECT_EQ(format_motif_file(r.models, r.dataset),
            "VORL version 4\n\nALPHABET= ACGT\nBackground letter frequencies\nA 0.3 C 0.2 G 0.2 T "
            "0.3 \n\n"
            "MOTIF 1\nletter-probability matrix: alength= 4 w= 2 nsites= 5 E= 1.01301e-5\n"
            "  0.7  0.1  0.1  0.1\n  0.25  0.25  0.25  0.25\n\n\n"
            "MOTIF 2\nletter-probability matrix: alength= 4 w= 0 nsites= 0 E= 1e0\n\n\n");
  // Every letter of the alphabet line is written, even a NUL byte.
  r.dataset.alphabet[0] = '\0';
  EXPECT_EQ(format_motif_file(r.models, r.dataset).substr(0, 30),
            std::string("VORL version 4\n\nALPHABET= \0CGT\n", 30));
}

TEST(EValueText, MantissaAndExponent) {
  const struct {
    double log_evalue;
    std::string text;
  } cases[] = {
      {-11.5, "1.01301e-5"},
      {0, "1e0"},
      {2.0, "7.38906e0"},
      {-0.5, "6.06531e-1"},
      {-100, "3.72008e-44"},
      {-1000, "5.07596e-435"},
      {-9.214346870037993, "1e-4"},  // a mantissa of 9.96 rounds up to the next power of ten
      {std::numeric_limits<double>::infinity(), "inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
      // From a million on the exponent stays a whole number, not general notation.
      {-999999.0 * std::log(10.0), "1e-999999"},
      {-2760000.5 * 2.302585092994046, "3.16228e-2760001"},
  };
  for (const auto &c : cases) {
    std::string text;
    append_evalue(text, c.log_evalue);
    EXPECT_EQ(text, c.text) << c.log_evalue;
  }
}
