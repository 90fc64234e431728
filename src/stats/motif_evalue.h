// Per-motif statistics: column relative entropies and LLRs, the column p-values and the
// motif's E-value, stored in the Model.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "records/records.h"

// How the column p-values are computed: the lattice distribution (the default, cached per
// number of sites) or the accurate tails of column_tail.h.
enum class PvalueMethod { lattice, accurate };

// A column whose accurate p-value could not be confirmed to the promised accuracy.
struct UncheckedColumn {
  size_t motif;  // from 0, in file order
  int column;    // from 0
};

// Announces and computes every motif in order. threads: how many may share the work (0: see
// resolve_thread_count); the results do not depend on it. With the accurate method,
// `unchecked` (when given) receives the columns whose p-values could not be confirmed.
void my_calc_evalue(std::vector<Model> &models, Dataset &dataset, int threads = 0,
                    PvalueMethod method = PvalueMethod::lattice,
                    std::vector<UncheckedColumn> *unchecked = nullptr);

// A column's natural-log p-value from its LLR x, the number of sites n, the alphabet size and
// the background (which it may rescale in place as the lattice does).
using ColumnPvalue = std::function<double(double x, double n, int alength, double *background)>;

// Fills the result fields of *model. The statistics may rescale dataset->background in place.
// `pvalue`, when given, replaces the lattice for the column p-values.
void calc_entropy(Model *model, Dataset *dataset, const ColumnPvalue *pvalue = nullptr);

// Keeps x to the place 10^(floor(log10|x|) - 13), about 14 significant digits; ties to even.
// Zero and NaN give 0.
double round_sig_digits(double x);
