// One run of the tool: read the three input files, compute every motif's E-value, write the
// output motif file, and release everything.
#pragma once

#include "driver/options.h"
#include "records/records.h"

// Runs every step in order, announcing each on standard output. Returns 0; an error stops the
// run from where it is found (stop_run).
int run_motifsig(const RunOptions &options);
