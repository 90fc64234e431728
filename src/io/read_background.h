// The background file: one "LETTER FREQUENCY" pair per line, for every letter of the alphabet
// exactly once; blank lines and lines starting with '#' are ignored.
#pragma once

#include "records/records.h"

// Replaces dataset.background with the frequencies of the file at `path`, in alphabet order.
// The alphabet must already be read; any fault is reported against the file and line.
void read_background(const char *path, Dataset &dataset);
