// Where a run's outputs go, checked by check_outputs before a run, by analyse once the motifs
// (which name the logo files) are read, and by write before it writes.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"

// The files a run reads (as given; empty: data in memory) against `outputs`; the motifs' ids,
// once read, name the files under outputs.logos_dir. The first clash is thrown as an Error with
// exit status 2.
void check_output_paths(const std::string &sequences, const std::string &motifs,
                        const std::string &sites, const std::string &background,
                        const motifsig::Outputs &outputs,
                        const std::vector<std::string> &motif_ids = {});
