// The motif E-value as a log: the log p-value of the product of the column p-values plus the
// log number of ways the motif's sites can be placed in the sequence set.
#pragma once

#include "records/records.h"
#include "stats/stats_cache.h"

// ln of the binomial coefficient binom(n, k).
double log_comb(int n, int k);

// ln of the number of alignments of N >= 1 sites of width w; +inf when they cannot be placed.
// Keeps the sorted sequence lengths of the first dataset it sees in `cache`.
double get_log_nalign(StatsCache &cache, MOTYPE mtype, int w, int N, int two_strands,
                      const Dataset &dataset);

// ln P(product of n uniform (0,1) p-values <= e^log_prod).
double log_qfast(int n, double log_prod);

// ln of the E-value of a motif of w columns and N sites whose column p-values multiply to
// e^-neg_log_product.
double get_log_sig(StatsCache &cache, double neg_log_product, MOTYPE mtype, int w, int N,
                   int both_strands, int palindrome, const Dataset &dataset);

// Releases the length cache.
void free_length_cache(StatsCache &cache);
