// Internal to the fast column LLR kernel: the inner loop, one implementation per instruction
// set, chosen once per call.
#pragma once

// One pass of `rows` destination rows (1 .. 8) over one source row: for i in 0 .. len - 1
// where src[i] > LOG_ZERO, and each r < rows, dst[r][i] = log_sum(dst[r][i], src[i] + logp[r]).
// src and every dst[r] may be read, and dst[r] rewritten unchanged, up to 3 entries past len.
using LlrGroupPass = void (*)(int rows, const double *src, int len, double *const *dst,
                              const double *logp);

LlrGroupPass llr_group_pass_avx2();  // nullptr where AVX2 is not built in
