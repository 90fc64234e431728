// The site file: a header line, then one line per site whose first TAB-separated field begins
// with the motif's number (counted from 1 in motif file order). Only the count per motif is kept.
#pragma once

#include <vector>

#include "process/diagnostics.h"
#include "records/records.h"

// Adds 1 to models[k-1].nsites for every site line of motif k. A first line that reads as a
// site line is still skipped as the header, and told to `warnings` when given.
void read_m_seqs(const char *path, std::vector<Model> &models, Warnings *warnings = nullptr);
