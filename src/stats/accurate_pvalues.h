// Accurate column p-values for a whole run: every column's p-value request is collected first,
// the tails are computed side by side on several threads, and the motifs are then computed
// with those values in place of the lattice's.
#pragma once

#include <vector>

#include "records/records.h"
#include "stats/column_tail.h"

// One column p-value request: N sites, the background as it stood, the column's LLR.
struct ColumnRequest {
  int N;
  std::vector<double> background;
  double x;
};

using ColumnAnswer = ColumnTail;

// The answers to `requests`, in order, on up to `threads` threads; equal requests are computed
// once.
std::vector<ColumnAnswer> answer_column_requests(const std::vector<ColumnRequest> &requests,
                                                 int threads);
