// Sequence logos as SVG, for the HTML report and as files of their own. In each column the
// letters stand stacked, the tallest on top, each as tall as its probability times the column's
// relative entropy in bits; under the column a bar and a number show -log10 of the p-value of
// the column's LLR. Hovering a column shows its numbers.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"

// The -log10 p axis never goes above this; a column beyond it gets a full bar with a mark.
constexpr double kMaxBarScale = 20;
// The reference line of the bars: a column p-value of 0.05.
constexpr double kColumnPvalueLine = 0.05;

// The axes every logo of a page shares, so that logos compare at a glance.
struct LogoScales {
  double max_bits;  // top of the bit axis
  double max_bar;   // top of the -log10 p axis
};

// The bit axis goes to log2 of the alphabet size, or to the largest column relative entropy when
// a skewed background makes it larger, rounded up. The -log10 p axis goes to the largest column
// value rounded up to 2, 5 or 10 x 10^k, at least 2 (so that the reference line shows) and at
// most kMaxBarScale.
LogoScales logo_scales(const motifsig::Result &result);

// A hidden SVG that defines the letter shapes every logo on the page refers to.
std::string logo_glyph_defs(const std::string &alphabet);

// The logo of motif `number` (from 1), inline in a page that holds logo_glyph_defs.
std::string sequence_logo_svg(const motifsig::MotifResult &motif, const std::string &alphabet,
                              const LogoScales &scales, size_t number);

// The same logo as a file of its own, with its letter shapes, ready for a figure.
std::string standalone_logo_svg(const motifsig::MotifResult &motif, const std::string &alphabet,
                                const LogoScales &scales, size_t number);

// The fill colour of letter j: nucleotides and amino acids in their conventional colours,
// any other alphabet from a palette of distinct colours.
std::string letter_colour(const std::string &alphabet, int j);
