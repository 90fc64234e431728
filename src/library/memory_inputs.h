// Inputs given in memory instead of files, checked as the readers check the files: a fault is a
// motifsig::Error with exit status 1 that names the motif, row or letter.
#pragma once

#include <cstdint>
#include <vector>

#include "motifsig/motifsig.h"
#include "records/records.h"

// The sequence set: one length per sequence, each at least 1.
void take_sequence_lengths(const std::vector<int64_t> &lengths, Dataset &dataset);

// The alphabet, its background and the motifs' matrices, each row of letter probabilities.
void take_motifs(const motifsig::Inputs &inputs, Records &records);

// A background replacing the motifs': one frequency per letter.
void take_background(const std::vector<double> &background, Dataset &dataset);

// The number of sites of each motif, in the motifs' order: one count per motif.
void take_site_counts(const std::vector<int64_t> &counts, std::vector<Model> &models);

// The site counts of `inputs`, in the motifs' order or by motif number (a motif not named has
// none): a number that names no motif is an Error.
void take_site_counts(const motifsig::Inputs &inputs, std::vector<Model> &models);
