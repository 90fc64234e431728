// Everything the command line decides about one run: the four files, the reports to write
// beside the motif file, the model of the search the motifs came from, and the thread count.
#pragma once

#include <string>

#include "records/records.h"
#include "stats/motif_evalue.h"

struct RunOptions {
  std::string sequences;  // sequence file
  std::string motifs;     // motif file
  std::string sites;      // site file
  std::string output;     // motif file to write
  bool fasta = false;     // the sequence file is FASTA: a record's lines make one sequence

  // Reports; an empty path means the report is not written.
  std::string tsv_path;
  std::string json_path;
  std::string html_path;
  std::string logos_dir;  // one SVG file per motif goes here

  // The search the motifs were found with; the defaults reproduce the motif file's own model.
  int strands = 1;                   // 2: every site position counts on both strands
  bool palindromic = false;          // positions count once even on two strands
  MOTYPE site_model = PerSequenceB;  // Pooled: sites anywhere, several per sequence
  std::string background_path;       // letter frequencies replacing the motif file's

  PvalueMethod pvalues = PvalueMethod::lattice;  // accurate: exact or tilted column tails

  int threads = 0;     // 0: OMP_NUM_THREADS when set, otherwise every core
  bool quiet = false;  // no progress lines

  std::string command_line;  // the arguments as given, for the reports
};
