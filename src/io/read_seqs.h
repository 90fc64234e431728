// The sequence file: every non-empty line that does not begin with ">" is one sequence, of
// which only its length (every byte on the line, a carriage return included) is kept.
#pragma once

#include "records/records.h"

// Sets dataset.nseqs and dataset.seqs from the file at `path`.
void read_seqs(const char *path, Dataset &dataset);
