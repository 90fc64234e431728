// The exact distribution of one motif column's log-likelihood ratio (LLR) when its N letters
// are drawn independently from the background, on an integer grid of `alpha` steps per nat.
#pragma once

// Returns the log probabilities of the scaled scores offset .. offset + range (an array the
// caller frees, of range + 2 entries). Rescales `background` in place to sum 1 (each entry
// plus 1e-200 first). desired_range is the number of grid steps between the smallest (0) and
// largest column LLR; frac (0 to 1) is the part of each partial score range that is extended
// by the next letter. Needs init_log and init_exp to have run.
double *llr_distr(int alength, double *background, int N, int desired_range, double frac,
                  double *alpha, int *offset, int *range);

// The readable definition of llr_distr, which the fast kernel must match bit for bit.
double *llr_distr_plain(int alength, double *background, int N, int desired_range, double frac,
                        double *alpha, int *offset, int *range);

// Nearest integer, halves away from zero.
inline int round_half_away(double x) {
  return x >= 0 ? static_cast<int>(x + 0.5) : static_cast<int>(x - 0.5);
}
