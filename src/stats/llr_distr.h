// The exact distribution of one motif column's log-likelihood ratio (LLR) when its N letters
// are drawn independently from the background, on an integer grid of `alpha` steps per nat.
#pragma once

// Rescales `background` in place to sum 1, each entry plus LOG_GUARD first. Every build of a
// distribution does this, and the rest of the run sees the rescaled values.
void rescale_background(int alength, double *background);

// What every kernel works out before its dynamic programme, so that all agree on it.
struct LlrPrologue {
  double log_n_fact;  // log N!, summed in increasing order
  double p_min;       // smallest rescaled frequency (at most 1)
  double alpha;       // grid steps per nat: desired_range over the largest column LLR
};

// Rescales `background` (see above) and returns the prologue for N sites.
LlrPrologue llr_prologue(int alength, double *background, int N, int desired_range);

// The readable definition of the distribution, which the fast kernel must match bit for bit.
// Returns the log probabilities of the scaled scores offset .. offset + range (an array the
// caller frees, of range + 2 entries). desired_range is the number of grid steps between the
// smallest (0) and largest column LLR; frac (0 to 1) is the part of each partial score range
// that is extended by the next letter. Needs init_log and init_exp to have run.
double *llr_distr_plain(int alength, double *background, int N, int desired_range, double frac,
                        double *alpha, int *offset, int *range);

// Nearest integer, halves away from zero.
inline int round_half_away(double x) {
  return x >= 0 ? static_cast<int>(x + 0.5) : static_cast<int>(x - 0.5);
}
