// The fast column LLR distribution: the same dynamic programme as llr_distr_plain, giving the
// same bits, with rows updated independently (vectorised across columns, several rows per
// pass, rows shared among threads) and a work table sized by the exactly reachable scores.
#pragma once

// Instruction-set paths of the inner loop. Every path gives the same bits.
enum class LlrPath {
  Auto,      // the fastest one this processor supports
  Portable,  // plain C++, any architecture
  Avx2,      // x86-64 with AVX2 (never FMA)
};

struct LlrFastOptions {
  LlrPath path = LlrPath::Auto;
  int threads = 0;  // 0: the OpenMP default (OMP_NUM_THREADS, else every core)
};

// True when `path` can run on this processor (Auto and Portable always can).
bool llr_path_supported(LlrPath path);

// The path that Auto picks on this processor.
LlrPath llr_path_chosen();

// Same contract and results as llr_distr_plain.
double *llr_distr_fast(int alength, double *background, int N, int desired_range, double frac,
                       double *alpha, int *offset, int *range,
                       const LlrFastOptions &options = LlrFastOptions());

// Internal to the kernel: one pass of a group of `rows` destination rows (1 .. 8) over one
// source row. For i in 0 .. len - 1 where src[i] > LOG_ZERO, and each r < rows,
// dst[r][i] = log_sum(dst[r][i], src[i] + logp[r]). src and every dst[r] may be read, and
// dst[r] rewritten unchanged, up to 3 entries past len.
using LlrGroupPass = void (*)(int rows, const double *src, int len, double *const *dst,
                              const double *logp);
LlrGroupPass llr_group_pass_portable();
LlrGroupPass llr_group_pass_avx2();  // nullptr where AVX2 is not built in

// The kernel behind llr_distr: the fast one, or the plain one in a build configured with
// MOTIFSIG_PLAIN_KERNEL. set_llr_kernel replaces it (nullptr restores the build's choice) and
// returns the one it replaces, so that a test can run the whole tool with either.
using LlrKernel = double *(*)(int alength, double *background, int N, int desired_range,
                              double frac, double *alpha, int *offset, int *range);
LlrKernel set_llr_kernel(LlrKernel kernel);
