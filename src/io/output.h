// The output motif file: header "VORL version 4", the alphabet, the background as rescaled by
// the statistics, then every motif with its width, site count, E-value and matrix. The motif
// file reader reads it back.
#pragma once

#include <string>
#include <vector>

#include "io/output_file.h"
#include "records/records.h"

// The whole text of the output file.
std::string format_motif_file(const std::vector<Model> &models, const Dataset &dataset);

// Writes the output file to `path`, together with `reports`: all of them completely, or none.
void output(const char *path, std::vector<Model> &models, Dataset &dataset,
            std::vector<OutputFile> reports = {});
