#include "stats/llr_distr.h"

double *llr_distr(int alength, double *background, int N, int desired_range, double frac,
                  double *alpha, int *offset, int *range) {
  return llr_distr_plain(alength, background, N, desired_range, frac, alpha, offset, range);
}
