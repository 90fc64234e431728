// The fast column LLR distribution: the same dynamic programme as llr_distr_plain, giving the
// same bits, with rows updated independently (vectorised across columns, several rows per
// pass, rows shared among threads) and a work table sized by the exactly reachable scores.
#pragma once

#include "stats/llr_progress.h"
#include "stats/llr_threads.h"

// Instruction-set paths of the inner loop. Every path gives the same bits.
enum class LlrPath {
  Auto,      // the fastest one this processor supports
  Portable,  // plain C++, any architecture
  Avx2,      // x86-64 with AVX2 (never FMA)
};

struct LlrFastOptions {
  LlrPath path = LlrPath::Auto;
  int threads = 1;                  // threads that share the rows (fewer for a small table)
  LlrProgress *progress = nullptr;  // when set, `done` counts the work as it is finished
};

// True when `path` can run on this processor (Auto and Portable always can).
bool llr_path_supported(LlrPath path);

// Same contract and results as llr_distr_plain.
double *llr_distr_fast(int alength, double *background, int N, int desired_range, double frac,
                       double *alpha, int *offset, int *range,
                       const LlrFastOptions &options = LlrFastOptions());

// The work of one call in the units that LlrProgress counts (one per source row of a pass per
// destination row), proportional to its running time.
long llr_work(int alength, int N);

// Whether a call of this size gains from sharing its rows among threads.
bool llr_worth_threads(int alength, int N);
