// Sequence logos as inline SVG for the HTML report. In each column the letters stand stacked,
// the tallest on top, each as tall as its probability times the column's relative entropy in
// bits; under the column a bar shows -log10 of the p-value of the column's LLR. Hovering a
// column shows its exact numbers.
#pragma once

#include <string>
#include <vector>

#include "records/records.h"

// Height of the bit axis shared by every logo on a page: log2 of the alphabet size, or the
// largest column relative entropy when a skewed background makes it larger, rounded up.
double logo_max_bits(const std::vector<Model> &models, const Dataset &dataset);

// A hidden SVG that defines the letter shapes every logo on the page refers to.
std::string logo_glyph_defs(const Dataset &dataset);

// The logo of motif `number` (from 1).
std::string sequence_logo_svg(const Model &model, const Dataset &dataset, double max_bits,
                              size_t number);

// The fill colour of letter j: nucleotides and amino acids in their conventional colours,
// any other alphabet from a palette of distinct colours.
std::string letter_colour(const Dataset &dataset, int j);
