// Everything the command line decides about one run: the four files, the reports to write
// beside the motif file, the model of the search the motifs came from, and the thread count.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "process/output_paths.h"

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
  motifsig::SearchModel model;
  std::string background_path;  // letter frequencies replacing the motif file's

  int threads = 0;            // 0: OMP_NUM_THREADS when set, otherwise every core
  bool quiet = false;         // no progress lines
  bool plain_kernel = false;  // the plain column LLR kernel, for benchmarks (not in the help)

  std::string command_line;                 // the arguments as given, for the reports
  std::vector<motifsig::Warning> warnings;  // about the command line, printed when found
};

// The files the options name.
inline RunPaths run_paths(const RunOptions &options) {
  return {options.sequences,       options.motifs,    options.sites,
          options.background_path, options.output,    options.tsv_path,
          options.json_path,       options.html_path, options.logos_dir};
}
