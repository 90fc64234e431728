// The sequence file, of which only the number of sequences and their lengths are kept. By
// default every non-empty line that does not begin with ">" is one sequence, and every byte on
// it counts, a carriage return included. Read as FASTA, the lines of a record (from one ">"
// header line to the next) make one sequence, and a carriage return before a line feed is no
// letter.
#pragma once

#include "process/diagnostics.h"
#include "records/records.h"

// Sets dataset.nseqs and dataset.seqs from the file at `path`. Lines that are probably a mistake
// (a record over several lines, a carriage return) are told to `warnings`, the first of each.
void read_seqs(const char *path, Dataset &dataset, Warnings &warnings, bool fasta = false);
