#include "stats/log_tables.h"

#include <cmath>

#include "stats/log_constants.h"

double log_table[LOG_TABLE_SIZE];
double exp_table[EXP_TABLE_SIZE];

// Filled once, by whichever thread comes first; the others wait for it.
void init_log() {
  static const bool filled = [] {
    for (int i = 0; static_cast<double>(i) <= 200001.0; ++i)
      log_table[i] = std::log(LOG_GUARD + static_cast<double>(i) / 100000.0);
    return true;
  }();
  (void)filled;
}

void init_exp() {
  static const bool filled = [] {
    for (int i = 0; static_cast<double>(i) <= 64001.0; ++i)
      exp_table[i] = std::exp(static_cast<double>(-i) / 1000.0);
    return true;
  }();
  (void)filled;
}
