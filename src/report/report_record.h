// What the reports show of one run: its inputs, the search model, the results and the warnings.
// Filled by whoever writes the reports; the reports only read it.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "records/records.h"
#include "stats/motif_evalue.h"

struct ReportRecord {
  ReportRecord(const Dataset &d, const std::vector<Model> &m,
               const std::vector<motifsig::Warning> &w)
      : dataset(d), models(m), warnings(w) {}

  const Dataset &dataset;            // the alphabet and the background as the statistics left it
  const std::vector<Model> &models;  // with their results
  const std::vector<motifsig::Warning> &warnings;
  // The files as given; empty for data given in memory.
  std::string sequence_file, motif_file, site_file;
  std::string background_file;    // empty: the motif file's background, or one given in memory
  bool background_given = false;  // the background was replaced by frequencies given in memory
  std::string output_file;
  std::string command_line;
  int strands = 1;
  bool palindromic = false;
  MOTYPE site_model = PerSequenceB;
  PvalueMethod pvalues = PvalueMethod::lattice;
  std::time_t started = 0;  // when the run started
};
