// The p-value of an observed column LLR, read from exact distributions that are built once per
// number of sites and kept in the run's cache.
#pragma once

#include <vector>

#include "stats/llr_progress.h"
#include "stats/stats_cache.h"

// ln P(LLR of w columns with n sites >= x). n need not be whole (interpolated between its
// neighbours); n <= 1 or w = 0 gives 0. The first call for a site count fixes that count's
// distributions from its alength, background, desired_range and frac, and rescales
// `background` in place (see rescale_background) when it builds them.
double get_llr_pv(StatsCache &cache, double x, double n, int w, int desired_range, double frac,
                  int alength, double *background);

// The background as get_llr_pv leaves it once it has built the distributions for every site
// count in `site_counts` (a fresh cache, counts below 2 building nothing): rescaled once per
// distinct count, as each build rescales it. Another p-value method shows this background, so
// the motif file reads the same whichever method ran.
std::vector<double> background_as_lattice_leaves_it(int alength, const double *background,
                                                    const std::vector<int> &site_counts);

// The background as the lattice's first build rescales it (every letter given 1e-200, then its
// share of the sum; a background beyond about 1e100 first divided by its largest frequency),
// as a new vector: the background every column is scored against, whatever its order.
std::vector<double> normalised_background(int alength, const double *background);

// Releases everything in `cache` (distributions and sequence lengths); it can be used again.
void freestuff(StatsCache &cache);

// Builds ahead, on up to `threads` threads, the one-column distributions that get_llr_pv will
// build when it is asked, in this order, for site_counts[0], site_counts[1], ... with this
// alength, desired_range and frac and the background it then finds (counts below 2 ask for
// nothing). Each is built from the background that the calls in this order would give it, so
// get_llr_pv, taking it over, rescales the background as its own build would and returns the
// same bits. The largest are built first, each on one thread or, when one would hold up the
// others, on all of them. progress (optional) counts the work and the ready site counts.
void prepare_llr_distrs(StatsCache &cache, const std::vector<int> &site_counts, int desired_range,
                        double frac, int alength, const double *background, int threads,
                        LlrProgress *progress);
