// The motif file: keyword-driven. A line containing "ALPHABET" opens a three-line block
// (letters; one line skipped; "letter frequency" pairs of the background). A line containing
// "letter-probability matrix" gives the width as its sixth token and is followed by that many
// rows of letter probabilities. Every other line is ignored. Motifs are numbered from 1 in file
// order. Malformed blocks, and matrix rows that are not letter probabilities (each row sums to
// 1, within rounding), are reported with the file name and line number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/records.h"

// Sets the alphabet and background of `dataset` and appends one Model per matrix to `models`.
void readmodel(const char *path, std::vector<Model> &models, Dataset &dataset);

// Why a row of `alength` letter probabilities is not a probability distribution, for row `row`
// of motif `motif` (named `id` when not empty); empty when it is one within rounding.
std::string row_sum_fault(const double *values, int32_t alength, int motif, int32_t row,
                          const std::string &id);

// Why `alength` background frequencies cannot be rescaled to sum 1 (they are all 0, or their
// sum overflows); empty when they can.
std::string background_sum_fault(const double *values, int32_t alength);
