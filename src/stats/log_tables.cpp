#include "stats/log_tables.h"

#include <cmath>

#include "stats/log_constants.h"

double log_table[LOG_TABLE_SIZE];
double exp_table[EXP_TABLE_SIZE];

namespace {
int init_log_done = 0;
int init_exp_done = 0;
}  // namespace

void init_log() {
  for (int i = 0; !init_log_done && static_cast<double>(i) <= 200001.0; ++i)
    log_table[i] = std::log(LOG_GUARD + static_cast<double>(i) / 100000.0);
  init_log_done = 1;
}

void init_exp() {
  for (int i = 0; !init_exp_done && static_cast<double>(i) <= 64001.0; ++i)
    exp_table[i] = std::exp(static_cast<double>(-i) / 1000.0);
  init_exp_done = 1;
}
