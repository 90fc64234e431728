// Warnings about the inputs taken together with the options, which no reader sees alone: a
// search on two strands of an alphabet with no reverse complement, and motifs with more sites
// than the sequences can hold.
#pragma once

#include <vector>

#include "driver/options.h"
#include "records/records.h"

// After the motif file is read.
void warn_of_strands(const RunOptions &options, const Dataset &dataset);

// After the sites are counted: a motif whose sites cannot all be placed gets E-value inf.
void warn_of_unplaceable_sites(const RunOptions &options, const std::vector<Model> &models,
                               const Dataset &dataset);
