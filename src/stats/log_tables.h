// Log-space probability arithmetic without exp or log calls in the inner loops: log_sum reads
// two process-wide tables, filled once by init_log and init_exp.
#pragma once

// The logarithm of probability 0 in every score distribution.
constexpr double LOG_ZERO = -1e+100;

constexpr int LOG_TABLE_SIZE = 200002;  // log on [0, 2.00001] in steps of 1e-5
constexpr int EXP_TABLE_SIZE = 64002;   // exp on [-64.001, 0] in steps of 1e-3

extern double log_table[LOG_TABLE_SIZE];
extern double exp_table[EXP_TABLE_SIZE];

// Fill the tables on their first call; later calls write nothing. Safe on any thread.
void init_log();
void init_exp();

// About exp(x), for -64 <= x <= 0, by linear interpolation in exp_table.
inline double exp_lookup(double x) {
  double t = x * (-1000.0);
  int i = static_cast<int>(t);
  return (exp_table[i + 1] - exp_table[i]) * (t - i) + exp_table[i];
}

// About log(u), for 1 <= u <= 2, by linear interpolation in log_table.
inline double log_lookup(double u) {
  double s = u * 100000.0;
  int k = static_cast<int>(s);
  return (log_table[k + 1] - log_table[k]) * (s - k) + log_table[k];
}

// About log(exp(a) + exp(b)); a term 64 or more below the other, or at LOG_ZERO, is dropped.
inline double log_sum(double a, double b) {
  double hi, lo;
  if (a > b) {
    hi = a;
    lo = b;
  } else {
    hi = b;
    lo = a;
  }
  if (lo <= LOG_ZERO || hi - lo > 64.0) return hi;
  return log_lookup(1.0 + exp_lookup(lo - hi)) + hi;
}
