// Per-motif statistics: column relative entropies and LLRs, the column p-values and the
// motif's E-value, stored in the Model.
#pragma once

#include <vector>

#include "records/records.h"

// Announces and computes every motif in order. threads: how many may share the work (0: see
// resolve_thread_count); the results do not depend on it.
void my_calc_evalue(std::vector<Model> &models, Dataset &dataset, int threads = 0);

// Fills the result fields of *model. The statistics may rescale dataset->background in place.
void calc_entropy(Model *model, Dataset *dataset);

// Keeps x to the place 10^(floor(log10|x|) - 13), about 14 significant digits; ties to even.
// Zero and NaN give 0.
double round_sig_digits(double x);
