// Accurate tail probabilities of one column's log-likelihood ratio (LLR): for N letters drawn
// from the background q, the column LLR is G(k) = sum_a k_a ln(k_a / (N q_a)) over the letter
// counts k, and the tail is ln P(G >= x) under Multinomial(N, q), in log space at any depth.
// Exact enumeration, a fine lattice and a tilted FFT reading; column_tail picks a route per
// column (see there).
#pragma once

#include <cstddef>
#include <vector>

#include "stats/tail_settings.h"

// A count vector whose LLR lies this little below x still counts as reaching x, so that the
// observed column's own counts are always in its tail despite the rounding of the LLR.
double llr_tie_tolerance(double x);

// ln k! and k ln k for the counts 0..n: with them the terms of an enumeration need no
// logarithm or gamma function each, the cost of the enumeration before.
struct CountTables {
  explicit CountTables(long n);
  long n;
  std::vector<double> log_fact, k_log_k;
};

// One letter (share r of the frequency, s = 1 - r given apart) against the rest over M counts.
// With tables (M <= tables->n) each term costs a few products; the values differ from the
// direct formulas only by rounding.
struct TwoLetter {
  TwoLetter(long M, double r, double s, const CountTables *tables = nullptr);
  // The same with ln r and ln s known already.
  TwoLetter(long M, double r, double s, double log_r, double log_s, const CountTables *tables);
  double llr(long k) const;      // k ln(k / (M r)) + (M - k) ln((M - k) / (M s))
  double log_pmf(long k) const;  // ln P(Binomial(M, r) = k)
  long M;
  double r, s;

 private:
  const CountTables *tables_;
  double log_r_, log_s_, log_mr_, log_ms_, log_m_fact_;
};

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
// The same for a pair whose tables are already set up.
double binomial_llr_log_tail(const TwoLetter &two, double t, long *work);

// Exact ln P(G >= x) by enumerating the counts of all letters but the last two, pruning
// subtrees that all reach x or none can, and summing the last two letters as a binomial.
// Gives up (returns false) when the enumeration would pass `budget` steps.
bool exact_log_tail(int N, const std::vector<double> &q, double x, long budget, double *log_p);

// Poisson embedding with exponential tilting, read by FFT: the letter counts are taken as
// independent Poisson variables, whose sum is N exactly when they are multinomial, so that
// P(G >= x) = P(sum of deviances >= x, count sum = N) / P(count sum = N). The joint law of
// (count sum, deviance sum) is tilted by exp(u count + v deviance) so that its mean is (N, x)
// (the saddlepoint of its cumulant generating function); the tilt is undone exactly and only
// the tilted density near its mean is needed, read off a 2-D FFT convolution of the letters on
// a grid of `cells` cells per standard deviation. (Levin 1981, Ann. Statist. 9:1123, for the
// Poisson representation of multinomial probabilities; Daniels 1954, Ann. Math. Statist.
// 25:631, for the saddlepoint.) Accurate where that density is smooth: many sites, away from
// the faces of the count simplex.
double tilted_log_tail(int N, const std::vector<double> &q, double x, int cells);

// A checked tilted reading: readings at settings.first_cells, doubling up to most_cells and
// sharing the tilt, until two in a row agree within settings.agreement.
struct TiltedReading {
  double log_p = 0;      // the finer of the two that agreed, or the finest
  bool settled = false;  // two readings in a row agreed
  bool face = false;     // some letter holds sparse_share of its tilted weight on counts below
                         // sparse_count: the reading sits near a face of the count simplex
  double v = 0;          // the tilt on the deviance; from 1 on, letters pile at both ends
};
TiltedReading tilted_log_tail_checked(int N, const std::vector<double> &q, double x,
                                      const TailSettings &settings = {});

// ln P(G >= x) on a lattice: each letter's share of the LLR (its deviance) rounded to the
// nearest multiple of h nats, the counts exact; a dynamic programme over the letters, by
// count and grid score. Costs about A N^2 x / (2 h) steps: for few sites and many letters,
// where neither enumeration nor a smooth reading serves.
double fine_lattice_log_tail(int N, const std::vector<double> &q, double x, double h);
// Lattices from settings.first_lattice_step, halved down to finest_lattice_step, until two in
// a row agree within settings.agreement: true, and *log_p is the finer. Otherwise false, with
// the finest in *log_p (NaN when even the first would need more than most_lattice_cells cells
// per table).
bool fine_lattice_log_tail_checked(int N, const std::vector<double> &q, double x, double *log_p,
                                   const TailSettings &settings = {});

// How a column's tail was computed.
enum class TailRoute {
  certain,      // x <= 0, one letter or no sites: p = 1
  two_letters,  // the binomial sum, exact
  enumeration,  // exact enumeration
  fine_lattice,
  tilted,
};
const char *tail_route_name(TailRoute route);

struct ColumnTail {
  double log_p = 0;
  TailRoute route = TailRoute::certain;
  bool checked = true;  // false: no reading could be confirmed to the promised accuracy
};

// ln P(G >= x) by the first route that serves the column:
// 1. two letters: the binomial sum; otherwise exact enumeration within settings.quick_steps
//    (few sites; columns near one letter, where little of the count space reaches x);
// 2. five or more letters and at most fine_lattice_sites sites: the checked fine lattice, or
//    when it does not settle, the tilted reading;
// 3. otherwise the checked tilted reading. For 2-4 letters near a face of the count simplex
//    (the tilted law lumpy) a longer enumeration (face_steps) replaces it where it finishes;
//    when the readings never agree, a long one (long_steps). When nothing settles, the finest
//    reading comes back unchecked.
ColumnTail column_tail(int N, const std::vector<double> &q, double x,
                       const TailSettings &settings = {});
inline double column_log_tail(int N, const std::vector<double> &q, double x) {
  return column_tail(N, q, x).log_p;
}
