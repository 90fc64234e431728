// Discrete score distributions in log space: entry i of an array is the log probability of the
// integer score offset + i (the holder keeps offset and scale beside the array); LOG_ZERO
// marks probability 0.
#pragma once

// The distribution of the sum of two independent scores: a new array of r1 + r2 + 1 entries,
// index m standing for the sum of the two inputs' index-0 scores plus m. new_range receives the
// highest index holding a probability, or -1 if none does.
double *sum_distr(const double *d1, int r1, const double *d2, int r2, int *new_range);

// The upper tail of d: a new array, entry i = log P(score >= offset + i). Runs of zero
// probability are bridged by straight lines (in log space) between their neighbours.
double *cdf(const double *d, int r);
