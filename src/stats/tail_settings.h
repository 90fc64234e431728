// Every tunable of the accurate column tails (column_tail.h) in one place, each with its unit
// and the reason for its value. The defaults are what the tool uses; tests change them to
// reach each route and fall-back on purpose.
#pragma once

// 0.01 in log10, in natural log: the accuracy promised for 2-4 letters.
constexpr double kLn10 = 2.302585092994046;

// What the accurate column p-values promise, in the words every message and page uses.
constexpr const char *kAccurateWithin =
    "to within 0.01 in log10 (2%) of the exact tail, 0.02 (5%) for five or more letters";

// Cut-offs of the sums and solvers: far below the promised accuracy, far above rounding. They
// are not tuned per run; each is named where it is used.
namespace tail_cutoff {
// A count vector whose LLR lies within this share of x (at most kTieNats) below x reaches x,
// so that the observed column is always in its own tail despite the rounding of its LLR.
constexpr double kTieShare = 1e-9, kTieNats = 1e-5;
// A run of binomial terms stops when a term adds less than this share of the run.
constexpr double kNegligibleTerm = 1e-13;
// An enumeration stops a direction of counts once its subtrees together cannot add
// e^-kNegligibleSubtree (about 1e-12) of the tail found so far.
constexpr double kNegligibleSubtree = 27.6;
// A count whose subtree falls short of x by more than this (nats; above kTieNats and the
// rounding of LLRs near 1e6) adds nothing, and is jumped.
constexpr double kShortOfReach = 2e-5;
// Tables of ln k! and k ln k are built for N up to this (16 MB).
constexpr long kMostTableCounts = 1000000;
// A letter's tilted atoms are scanned until their weight falls this far (nats, 1e-20) below
// the largest.
constexpr double kAtomRange = 46;
// Sampled atoms: a step changes the log weight by at most kStepSlope along it and
// kStepCurve^2 through its bend.
constexpr double kStepSlope = 0.02, kStepCurve = 0.2;
// The tilt: from kSampledSites sites first steered with sampled atoms to kSampledTolerance
// standard deviations, then finished with exact atoms to kTiltTolerance.
constexpr int kSampledSites = 5000;
constexpr double kSampledTolerance = 1e-4, kTiltTolerance = 1e-8;
// The integral of the read density stops when a piece adds less than this share.
constexpr double kNegligiblePiece = 1e-17;
}  // namespace tail_cutoff

struct TailSettings {
  // Exact enumeration (the letters split off one at a time, the last two summed as a
  // binomial). Steps are subtrees visited plus binomial terms summed, about 7 ns each.
  long quick_steps = 100000;  // tried on every column first (~1 ms): few sites, one letter
  // With 2-4 letters and up to small_sites sites the enumeration is usually a few
  // milliseconds, and the tilted reading, whose count rows are then several counts wide, was
  // up to 0.016 in log10 off (4-letter columns at 120-450 sites): such columns get
  // small_site_steps (~30 ms) first.
  int small_sites = 600;
  long small_site_steps = 3000000;
  // A column of 2-4 letters whose tilted law sits on a face of the count simplex and piles at
  // both ends (v >= 1): the smooth reading can be 0.01-0.2 in log10 off there, and this
  // enumeration (~0.1 s) finishes for nearly all such columns that real motifs have.
  long face_steps = 16000000;
  // When the tilted readings never agree (~0.4 s): a 4-letter column near a corner at 10^5
  // sites took 50 million.
  long long_steps = 60000000;

  // Tilted FFT reading: cells per standard deviation of the tilted law, first and finest;
  // each reading doubles the cells until two in a row agree.
  // Standard deviations the grid spans (round the circle, so half each way). 10 reads the same
  // to 1e-6 in log10 as 16 on the realistic benchmark files, at 0.4 of the cost.
  int span = 10;
  int first_cells = 16;
  int most_cells = 128;
  double agreement = 0.01 * kLn10;  // two readings this close (nats) settle a reading

  // A face of the count simplex: a letter holds at least sparse_share of its tilted weight on
  // counts below sparse_count, so the tilted law is lumpy where it is read.
  double sparse_count = 30;
  double sparse_share = 0.01;

  // Fine lattice (letters' deviances rounded to a step, counts exact): for five or more
  // letters up to this many sites, where the tilted law is lumpy and enumeration too long.
  int fine_lattice_sites = 150;
  double first_lattice_step = 0.02;     // nats; halved while readings disagree
  double finest_lattice_step = 0.0025;  // nats
  double most_lattice_cells = 1e7;      // cells per table (80 MB of doubles): no finer lattice
};
