// The p-value of an observed column LLR, read from exact distributions that are built once per
// number of sites and kept for the whole run.
#pragma once

// The cached distributions for one number of sites N. Arrays are indexed by width 1 .. maxw.
struct DISTR {
  int maxw;       // widest distribution built; 0 = none yet
  double alpha;   // grid steps per nat, shared by all widths
  int *range;     // range[w]: highest grid index of the w-column distribution
  int *offset;    // offset[w]: integer score of grid index 0
  double **d;     // d[w][i]: log probability of grid index i for w columns
  double **cdf;   // cdf[w][i]: log probability of grid index i or above
  double mean;    // expected one-column LLR, nats
};

// ln P(LLR of w columns with n sites >= x). n need not be whole (interpolated between its
// neighbours); n <= 1 or w = 0 gives 0. The first call for a site count fixes that count's
// distributions from its alength, background, desired_range and frac; llr_distr rescales
// `background` in place when it builds them.
double get_llr_pv(double x, double n, int w, int desired_range, double frac, int alength,
                  double *background);

// Releases the statistics caches (distributions and sequence lengths).
void freestuff();

// The cache record for N sites, or nullptr when the table does not reach N (for tests).
const DISTR *cached_distr(int N);
