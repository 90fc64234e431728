// Warnings about the inputs taken together with the options, which no reader sees alone: a
// search on two strands of an alphabet with no reverse complement, motifs with more sites
// than the sequences can hold or than the lattice p-values serve, and accurate p-values that
// could not be confirmed.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "process/diagnostics.h"
#include "records/records.h"
#include "stats/motif_evalue.h"

// After the motifs are read; `motif_file` is named in the warning (empty: none).
void warn_of_strands(const motifsig::SearchModel &model, const std::string &motif_file,
                     const Dataset &dataset, Warnings &warnings);

// After the sites are counted (from `site_file`, or given): a motif whose sites cannot all be
// placed gets E-value inf.
void warn_of_unplaceable_sites(const std::string &site_file, const std::vector<Model> &models,
                               const Dataset &dataset, Warnings &warnings);

// The lattice puts a column's LLR on kLatticeSteps steps from 0 to its largest value, N
// ln(1 / q_min) nats for N sites. Measured against exact tails, its p-values are off by 10-fold
// (median over columns) once one step passes about 3 nats: near 430 sites on a uniform DNA
// background, fewer on a skewed one or a larger alphabet.
constexpr double kLatticeSteps = 200;
constexpr double kCoarseLatticeStep = 3.0;

// Before the statistics, with the lattice p-values: one warning per motif whose grid step
// passes kCoarseLatticeStep.
void warn_of_coarse_lattice(const motifsig::SearchModel &model, const std::string &site_file,
                            const std::vector<Model> &models, const Dataset &dataset,
                            Warnings &warnings);

// After the statistics with the accurate p-values: one warning per column whose p-value could
// not be confirmed to the promised accuracy.
void warn_of_unchecked_pvalues(const std::string &site_file,
                               const std::vector<UncheckedColumn> &unchecked, Warnings &warnings);
