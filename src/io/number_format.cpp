#include "io/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "stats/log_constants.h"

// printf's %g is the general notation; the program never sets a C locale, so the decimal
// point stays a full stop whatever the environment says.
void append_general(std::string &out, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  out += text;
}

void append_evalue(std::string &out, double log_evalue) {
  if (std::isnan(log_evalue)) {
    out += "nan";
    return;
  }
  if (std::isinf(log_evalue)) {
    out += log_evalue > 0 ? "inf" : "0";
    return;
  }
  const double L = log_evalue / LN_10;
  double exponent = std::floor(L);
  double mantissa = std::pow(10.0, L - exponent);
  if (mantissa + 0.05 >= 10.0) {
    mantissa = 1.0;
    exponent += 1.0;
  }
  append_general(out, mantissa);
  out += 'e';
  // From a million on, general notation would print the exponent as "1.19869e+06".
  if (std::fabs(exponent) < 1e6) {
    append_general(out, exponent);
  } else {
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", exponent);
    out += text;
  }
}

void append_exact(std::string &out, double value) {
  char text[64];
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
  out.append(text, end.ptr);
}

std::string rounded(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string rounded_from_log(double log_value) {
  if (!std::isfinite(log_value)) {
    std::string text;
    append_evalue(text, log_value);
    return text;
  }
  const double L = log_value / LN_10;
  double exponent = std::floor(L);
  double mantissa = std::pow(10.0, L - exponent);
  if (mantissa >= 9.9995) {  // would print as 10
    mantissa = 1.0;
    exponent += 1.0;
  }
  char text[400];
  std::snprintf(text, sizeof text, "%.4ge%.0f", mantissa, exponent + 0.0);  // never "-0"
  return text;
}
