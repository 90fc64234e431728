// Internal to the fast column LLR kernel: the inner loop, one implementation per instruction
// set, chosen once per call.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

// Destination rows that share a pass over a source row.
constexpr int kLlrGroupRows = 8;

// From this gap between two terms on, log_sum returns the larger one unchanged: 1 plus
// exp_lookup of minus the gap rounds to 1 (from a gap of about 36.74), and log_lookup(1) is 0.
// A term this far below its cell can be skipped.
constexpr double kLlrFarGap = 37.0;

// One pass of `rows` destination rows (1 .. kLlrGroupRows) over one source row: for i in 0 .. len -
// 1 where src[i] > LOG_ZERO, and each r < rows, dst[r][i] = log_sum(dst[r][i], src[i] + logp[r]).
// src and every dst[r] may be read, and dst[r] rewritten unchanged, up to 3 entries past len.
using LlrGroupPass = void (*)(int rows, const double *src, int len, double *const *dst,
                              const double *logp);

LlrGroupPass llr_group_pass_avx2();  // nullptr where AVX2 is not built in

// One pass for a fixed number of rows.
using LlrRowsPass = void (*)(const double *src, int len, double *const *dst, const double *logp);

// Kernel::pass<1> .. Kernel::pass<kLlrGroupRows>, at index rows - 1.
template <typename Kernel, std::size_t... R>
constexpr std::array<LlrRowsPass, sizeof...(R)> llr_pass_table(std::index_sequence<R...>) {
  return {&Kernel::template pass<static_cast<int>(R) + 1>...};
}
