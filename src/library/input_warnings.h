// Warnings about the inputs taken together with the options, which no reader sees alone: a
// search on two strands of an alphabet with no reverse complement, and motifs with more sites
// than the sequences can hold.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "process/diagnostics.h"
#include "records/records.h"

// After the motifs are read; `motif_file` is named in the warning (empty: none).
void warn_of_strands(const motifsig::SearchModel &model, const std::string &motif_file,
                     const Dataset &dataset, Warnings &warnings);

// After the sites are counted (from `site_file`, or given): a motif whose sites cannot all be
// placed gets E-value inf.
void warn_of_unplaceable_sites(const std::string &site_file, const std::vector<Model> &models,
                               const Dataset &dataset, Warnings &warnings);
