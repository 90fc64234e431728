// The text of numbers in the output motif file: general notation with 6 significant digits
// (as "0.25", "0.333333", "1e-05", "1e+06"), always with a full stop as decimal point.
#pragma once

#include <string>

// Appends `value` in general notation, precision 6.
void append_general(std::string &out, double value);

// Appends the E-value whose natural log is `log_evalue` as mantissa "e" exponent, as
// "1.01301e-5" or "1e0": a mantissa of 9.95 or more becomes 1 one power of ten higher. The
// exponent is a whole number at every magnitude; +inf is written "inf" and NaN "nan".
void append_evalue(std::string &out, double log_evalue);

// Appends the shortest text that reads back as exactly `value` ("0.25", "1e-300", "inf",
// "nan"), for the reports, whose numbers must agree to the bit with the statistics.
void append_exact(std::string &out, double value);

// For people, in the reports' tables and hover texts: 4 significant digits.
std::string rounded(double value);  // "1.357", "290.9", "0.0001234", "inf"
// The value whose natural log is `log_value` (an E-value or a p-value) as "3.707e-26", "1e0",
// "inf" or "nan"; exponents of any size, as in the motif file.
std::string rounded_from_log(double log_value);
