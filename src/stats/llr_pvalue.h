// The p-value of an observed column LLR, read from exact distributions that are built once per
// number of sites and kept for the whole run.
#pragma once

#include <vector>

#include "stats/llr_progress.h"

// The cached distributions for one number of sites N. Arrays are indexed by width 1 .. maxw.
struct DISTR {
  int maxw;      // widest distribution built; 0 = none yet
  double alpha;  // grid steps per nat, shared by all widths
  int *range;    // range[w]: highest grid index of the w-column distribution
  int *offset;   // offset[w]: integer score of grid index 0
  double **d;    // d[w][i]: log probability of grid index i for w columns
  double **cdf;  // cdf[w][i]: log probability of grid index i or above
  double mean;   // expected one-column LLR, nats
};

// ln P(LLR of w columns with n sites >= x). n need not be whole (interpolated between its
// neighbours); n <= 1 or w = 0 gives 0. The first call for a site count fixes that count's
// distributions from its alength, background, desired_range and frac, and rescales
// `background` in place (see rescale_background) when it builds them.
double get_llr_pv(double x, double n, int w, int desired_range, double frac, int alength,
                  double *background);

// Does to `background` exactly what get_llr_pv(x, n, w, ...) would do to it, in the same calls,
// without building or reading any distribution: another p-value method keeps the run's
// background, and so every other number of the run, bit for bit.
void rescale_as_get_llr_pv(double n, int w, int alength, double *background);

// Releases the statistics caches (distributions and sequence lengths).
void freestuff();

// Builds ahead, on up to `threads` threads, the one-column distributions that get_llr_pv will
// build when it is asked, in this order, for site_counts[0], site_counts[1], ... with this
// alength, desired_range and frac and the background it then finds (counts below 2 ask for
// nothing). Each is built from the background that the calls in this order would give it, so
// get_llr_pv, taking it over, rescales the background as its own build would and returns the
// same bits. The largest are built first, each on one thread or, when one would hold up the
// others, on all of them. progress (optional) counts the work and the ready site counts.
void prepare_llr_distrs(const std::vector<int> &site_counts, int desired_range, double frac,
                        int alength, const double *background, int threads, LlrProgress *progress);
