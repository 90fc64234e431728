#include "stats/llr_distr.h"

#include "stats/llr_distr_fast.h"

namespace {

#ifdef MOTIFSIG_PLAIN_KERNEL
const LlrKernel build_kernel = llr_distr_plain;  // the baseline for benchmarks
#else
double *fast_kernel(int alength, double *background, int N, int desired_range, double frac,
                    double *alpha, int *offset, int *range) {
  return llr_distr_fast(alength, background, N, desired_range, frac, alpha, offset, range);
}
const LlrKernel build_kernel = fast_kernel;
#endif

LlrKernel kernel = build_kernel;

}  // namespace

LlrKernel set_llr_kernel(LlrKernel replacement) {
  const LlrKernel previous = kernel;
  kernel = replacement != nullptr ? replacement : build_kernel;
  return previous;
}

double *llr_distr(int alength, double *background, int N, int desired_range, double frac,
                  double *alpha, int *offset, int *range) {
  return kernel(alength, background, N, desired_range, frac, alpha, offset, range);
}
