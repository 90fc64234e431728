// Per-motif statistics: column relative entropies and LLRs, the column p-values and the
// motif's E-value, stored in the Model.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "records/records.h"
#include "stats/llr_progress.h"
#include "stats/stats_cache.h"

// A column whose accurate p-value could not be confirmed to the promised accuracy.
struct UncheckedColumn {
  size_t motif;  // from 0, in file order
  int column;    // from 0
};

// How my_calc_evalue runs; nothing here changes its numbers but `method`.
struct EvalueRun {
  int threads = 0;  // how many may share the work (0: see resolve_thread_count)
  // The lattice distribution (the default, cached per number of sites) or the accurate tails
  // of column_tail.h.
  motifsig::PvalueMethod method = motifsig::PvalueMethod::lattice;
  std::function<void(const std::string &line)> progress;  // "calculating evalue for motif K"
  StatusFn status;  // the progress of long work (see ProgressLine)
  // With the accurate method, when given: receives the columns whose p-values could not be
  // confirmed.
  std::vector<UncheckedColumn> *unchecked = nullptr;
};

// Announces and computes every motif in order, with the distributions of `cache`.
void my_calc_evalue(std::vector<Model> &models, Dataset &dataset, StatsCache &cache,
                    const EvalueRun &run = {});

// The natural-log p-value of column `column` (from 0) from its LLR x, the number of sites n,
// the alphabet size and the run's background (which it may rescale in place as the lattice
// does).
using ColumnPvalue =
    std::function<double(int column, double x, double n, int alength, double *background)>;

// sum over the letters of p ln(p / q + 1e-200), letters with p or q of 0 left out: a column's
// relative entropy in nats (its LLR is N times this, rounded by round_sig_digits).
double column_rel_entropy(const double *row, const std::vector<double> &background);

// Fills the result fields of *model, every column scored against `background` (normalised,
// see normalised_background). The lattice may rescale dataset->background in place as it
// builds. `pvalue`, when given, replaces the lattice for the column p-values.
void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache,
                  const std::vector<double> &background, const ColumnPvalue *pvalue = nullptr);
// The same against the normalised dataset->background as it stands.
void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache,
                  const ColumnPvalue *pvalue = nullptr);

// Keeps x to the place 10^(floor(log10|x|) - 13), about 14 significant digits; ties to even.
// Zero and NaN give 0.
double round_sig_digits(double x);
