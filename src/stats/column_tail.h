// Accurate tail probabilities of one column's log-likelihood ratio (LLR): for N letters drawn
// from the background q, the column LLR is G(k) = sum_a k_a ln(k_a / (N q_a)) over the letter
// counts k, and the tail is ln P(G >= x) under Multinomial(N, q), in log space at any depth.
// Two methods, exact enumeration and a tilted FFT reading; column_log_tail picks between them.
#pragma once

#include <cstddef>
#include <vector>

// A count vector whose LLR lies this little below x still counts as reaching x, so that the
// observed column's own counts are always in its tail despite the rounding of the LLR.
double llr_tie_tolerance(double x);

// ln P(Binomial(M, r) = k), s = 1 - r given apart (see below).
double log_binomial_pmf(long M, double r, double s, long k);

// The two-letter LLR of k counts of the first letter out of M (see below).
double two_letter_llr(long M, double r, double s, long k);

// ln(e^a + e^b), exact to rounding; -infinity stands for probability 0.
double log_add(double a, double b);

// ln P(Gb(K) >= t) for K ~ Binomial(M, r), where Gb(k) = k ln(k / (M r)) + (M - k)
// ln((M - k) / (M s)) is the two-letter LLR and s = 1 - r (given apart, to keep its precision).
// Exact: the set where Gb reaches t is two runs of counts at the ends, each summed term by term
// until the rest is negligible. `work`, when given, is increased by the number of terms summed.
double binomial_llr_log_tail(long M, double r, double s, double t, long *work = nullptr);

// Exact ln P(G >= x) by enumerating the counts of all letters but the last two, pruning
// subtrees that all reach x or none can, and summing the last two letters as a binomial.
// Gives up (returns false) when the enumeration would pass `budget` steps.
bool exact_log_tail(int N, const std::vector<double> &q, double x, long budget, double *log_p);

// ln P(G >= x) from the letter counts as independent Poisson variables, whose sum is N exactly
// when they are multinomial. The joint law of (count sum, LLR) is tilted so that its mean is
// (N, x); the tilt is undone exactly and only the tilted density near its mean is read, off a
// grid of `cells` cells per standard deviation (a 2-D FFT convolution of the letters). Accurate
// where that density is smooth: many sites, away from a column of one letter.
double tilted_log_tail(int N, const std::vector<double> &q, double x, int cells);
// A letter that the tilted law often makes rare: at least kSparseShare of its tilted weight
// is on counts below kSparseCount, so the reading sits near a face or a corner of the count
// simplex, where the density is too lumpy to read smoothly. `counts` are the letter's counts
// that hold all but 1e-20 of its tilted weight, when there are at most kMostSplitCounts
// (empty otherwise).
struct SparseLetter {
  int letter = -1;  // -1: none
  std::vector<long> counts;
};
constexpr double kSparseCount = 30, kSparseShare = 0.01;
constexpr size_t kMostSplitCounts = 400;

// Readings at 16, 32, 64 and 128 cells per standard deviation in turn, sharing the tilt,
// until two in a row agree within kTiltedAgreement: true, and *log_p is the finer of the two.
// Otherwise false, with the finest reading in *log_p. `sparse`, when given, gets the sparse
// letter with the fewest counts to split off, if there is one.
bool tilted_log_tail_checked(int N, const std::vector<double> &q, double x, double *log_p,
                             SparseLetter *sparse = nullptr);

// ln P(G >= x) on a lattice: each letter's share of the LLR (its deviance) rounded to the
// nearest multiple of h nats, the counts exact; a dynamic programme over the letters, by
// count and grid score. Costs about A N^2 x / (2 h) steps: for few sites and many letters,
// where neither enumeration nor a smooth reading serves.
double fine_lattice_log_tail(int N, const std::vector<double> &q, double x, double h);
// Lattices of 0.02, 0.01, 0.005 and 0.0025 nats in turn until two in a row agree within
// kTiltedAgreement: true, and *log_p is the finer. Otherwise false, with the finest in *log_p
// (NaN when even the coarsest would need more than kMostLatticeCells cells per table, 80 MB).
constexpr double kMostLatticeCells = 1e7;
bool fine_lattice_log_tail_checked(int N, const std::vector<double> &q, double x, double *log_p);

// 0.01 in log10, in natural log.
constexpr double kTiltedAgreement = 0.01 * 2.302585092994046;

// How column_log_tail found its answer, surest first.
enum class TailMethod { exact, lattice, tilted, unchecked };

// Up to this many sites a column of five or more letters is read off the fine lattice when it
// cannot be enumerated: there the tilted density is lumpy, and the lattice takes well under a
// second (it grows as N^2 times the LLR).
constexpr int kFineLatticeSites = 150;

// ln P(G >= x): exact when the enumeration is small (few sites, or a column near one letter,
// where little of the count space reaches x); for few sites and many letters the checked fine
// lattice; otherwise the checked tilted reading. Near a
// face of the count simplex (a sparse letter under the tilt), the letter is split off
// instead: its counts are summed one by one, each with the tail of the other letters. When
// the readings never agree, a longer enumeration; when that too is out of reach the finest
// reading is returned as `unchecked`.
double column_log_tail(int N, const std::vector<double> &q, double x, TailMethod *method = nullptr);
