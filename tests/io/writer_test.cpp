// The output motif file beyond what the whole-tool table pins: the alphabet line and the text
// of the E-values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "io/number_format.h"
#include "io/output.h"
#include "support/records.h"

TEST(Writer, WritesEveryLetterOfTheAlphabetEvenANulByte) {
  TestRecords r("ACGT", {0.3, 0.2, 0.2, 0.3});
  r.dataset.alphabet[0] = '\0';
  EXPECT_EQ(format_motif_file(r.models, r.dataset).substr(0, 30),
            std::string("VORL version 4\n\nALPHABET= \0CGT\n", 30));
}

TEST(EValueText, MantissaAndExponent) {
  const double inf = std::numeric_limits<double>::infinity(), ln10 = std::log(10.0);
  const struct {
    double log_evalue;
    std::string text;
  } cases[] = {
      {-11.5, "1.01301e-5"}, {0, "1e0"}, {2.0, "7.38906e0"}, {-0.5, "6.06531e-1"},
      {-100, "3.72008e-44"}, {-1000, "5.07596e-435"}, {inf, "inf"}, {NAN, "nan"},
      {-9.214346870037993, "1e-4"},  // a mantissa of 9.96 rounds up to the next power of ten
      // From a million on the exponent stays a whole number, not general notation.
      {-999999.0 * ln10, "1e-999999"}, {-2760000.5 * 2.302585092994046, "3.16228e-2760001"},
  };
  for (const auto &c : cases) {
    std::string text;
    append_evalue(text, c.log_evalue);
    EXPECT_EQ(text, c.text) << c.log_evalue;
  }
}
