// Everything the command line decides about one run: the three input files, the motif file and
// the reports to write, the model of the search the motifs came from, and the thread count.
#pragma once

#include <motifsig/motifsig.h>

#include <vector>

struct RunOptions {
  motifsig::Inputs inputs;    // SEQUENCES, MOTIFS, SITES, --fasta and --background
  motifsig::Outputs outputs;  // OUTPUT, the reports (empty: not written) and the command line

  // The search the motifs were found with; the defaults reproduce the motif file's own model.
  motifsig::SearchModel model;

  int threads = 0;            // 0: OMP_NUM_THREADS when set, otherwise every core
  bool quiet = false;         // no progress lines
  bool plain_kernel = false;  // the plain column LLR kernel, for benchmarks (not in the help)

  std::vector<motifsig::Warning> warnings;  // about the command line, printed when found
};
