// One run of the tool: the analysis of the three input files, then the output motif file and the
// reports, written all or none.
#pragma once

#include "options.h"

// Runs every step in order, announcing each on standard output and printing each warning as it
// is found. Returns 0; a fault is thrown as motifsig::Error.
int run_motifsig(const RunOptions &options);
