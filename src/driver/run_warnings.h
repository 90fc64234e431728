// Warnings about the inputs taken together with the options, which no reader sees alone: a
// search on two strands of an alphabet with no reverse complement, motifs with more sites
// than the sequences can hold, and motifs with too many sites for the lattice p-values.
#pragma once

#include <vector>

#include "driver/options.h"
#include "records/records.h"

// After the motif file is read.
void warn_of_strands(const RunOptions &options, const Dataset &dataset);

// After the sites are counted: a motif whose sites cannot all be placed gets E-value inf.
void warn_of_unplaceable_sites(const RunOptions &options, const std::vector<Model> &models,
                               const Dataset &dataset);

// The lattice puts a column's LLR on kLatticeSteps steps from 0 to its largest value, N
// ln(1 / q_min) nats for N sites. Measured against exact tails, its p-values are off by 10-fold
// (median over columns) once one step passes about 3 nats: near 430 sites on a uniform DNA
// background, fewer on a skewed one or a larger alphabet.
constexpr double kLatticeSteps = 200;
constexpr double kCoarseLatticeStep = 3.0;

// Before the statistics, with the default lattice p-values: one warning per motif whose grid
// step passes kCoarseLatticeStep.
void warn_of_coarse_lattice(const RunOptions &options, const std::vector<Model> &models,
                            const Dataset &dataset);

// After the statistics with --pvalues accurate: one warning per column whose p-value could not
// be confirmed to the promised accuracy.
void warn_of_unchecked_pvalues(const RunOptions &options,
                               const std::vector<UncheckedColumn> &unchecked);
