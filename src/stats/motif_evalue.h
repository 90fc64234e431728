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
  // When given: receives the background as the lattice leaves it (rescaled once for every
  // distinct number of sites it builds a distribution for; the accurate method rescales it
  // the same way), the background the motif file shows.
  std::vector<double> *lattice_background = nullptr;
};

// Announces and computes every motif in order, with the distributions of `cache`. The dataset
// is read, never written.
void my_calc_evalue(std::vector<Model> &models, const Dataset &dataset, StatsCache &cache,
                    const EvalueRun &run = {});

// The natural-log p-value of column `column` (from 0) from its LLR x, the number of sites n and
// the alphabet size, by whichever method the run uses.
using ColumnPvalue = std::function<double(int column, double x, double n, int alength)>;

// sum over the letters of p ln(p / q + 1e-200), letters with p or q of 0 left out: a column's
// relative entropy in nats (its LLR is N times this, rounded by round_sig_digits).
double column_rel_entropy(const double *row, const std::vector<double> &background);

// Fills the result fields of *model, every column scored against `background` (normalised,
// see normalised_background), its p-values from `pvalue`.
void calc_entropy(Model *model, const Dataset &dataset, StatsCache &cache,
                  const std::vector<double> &background, const ColumnPvalue &pvalue);
// One motif alone, as the lattice computes it: against the normalised dataset->background as
// it stands, which the lattice rescales in place when it builds a distribution.
void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache);

// Keeps x to the place 10^(floor(log10|x|) - 13), about 14 significant digits; ties to even.
// Zero and NaN give 0.
double round_sig_digits(double x);
