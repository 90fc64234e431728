// Accurate tail probabilities of one column's log-likelihood ratio (LLR): for N letters drawn
// from the background q, the column LLR is G(k) = sum_a k_a ln(k_a / (N q_a)) over the letter
// counts k, and the tail is ln P(G >= x) under Multinomial(N, q). Three methods, each exact or
// accurate where it is used; column_log_tail picks among them.
#pragma once

#include <vector>

// A count vector whose LLR lies this little below x still counts as reaching x, so that the
// observed column's own counts are always in its tail despite the rounding of the LLR.
double llr_tie_tolerance(double x);

// ln P(Binomial(M, r) = k) for every k would be costly; these work from one k outward.
double log_binomial_pmf(long M, double r, long k);

// ln P(Gb(K) >= t) for K ~ Binomial(M, r), where Gb(k) = k ln(k / (M r)) + (M - k)
// ln((M - k) / (M s)) is the two-letter LLR and s = 1 - r (given apart, to keep its precision). Exact: the set where Gb reaches t is two
// runs of counts at the ends, each summed term by term until the rest is negligible. `work`,
// when given, is increased by the number of terms summed.
double binomial_llr_log_tail(long M, double r, double s, double t, long *work = nullptr);

// Exact ln P(G >= x) by enumerating the counts of all letters but the last two, pruning
// subtrees that all reach x or none can, and summing the last two letters as a binomial.
// Gives up (returns false) when the enumeration would pass `budget` steps.
bool exact_log_tail(int N, const std::vector<double> &q, double x, long budget, double *log_p);

// The distribution of G on a fine grid of step `h` nats, built letter by letter over exact
// counts; accurate where the distribution is lumpy (few sites, many letters). Built once per
// N and background, then read for any x.
class LatticeTail {
 public:
  LatticeTail(int N, const std::vector<double> &q, double h);
  double log_tail(double x) const;
  // The work of building it for N sites and A letters, in grid cells touched.
  static double cost(int N, const std::vector<double> &q, double h);

 private:
  double h_, theta_, g_low_;
  std::vector<double> log_mass_;  // ln of the tilted mass of each grid point, count N
};

// ln P(G >= x) from the joint distribution of letter counts and LLR, conditioned on the total
// count (a double saddlepoint of independent Poisson letter counts). Accurate where the
// distribution of G is smooth: many sites.
double saddlepoint_log_tail(int N, const std::vector<double> &q, double x);

// ln P(G >= x), to within about 2% of the exact tail, choosing the method by N and the
// alphabet.
double column_log_tail(int N, const std::vector<double> &q, double x);
