// What a Result keeps of its run for the writers: the records with their results, where the
// inputs came from and the search model.
#pragma once

#include <ctime>
#include <string>

#include "motifsig/motifsig.h"
#include "records/records.h"

namespace motifsig {

struct RunRecord {
  Records records;  // the background as the statistics left it; the models with their results
  // The files as given; empty for data given in memory.
  std::string sequence_file, motif_file, site_file;
  std::string background_file;    // empty: the motif file's (or the given) background
  bool background_given = false;  // replaced by frequencies given in memory
  SearchModel model;
  std::time_t started = 0;
};

}  // namespace motifsig
