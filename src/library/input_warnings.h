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
#include "stats/tail_settings.h"

// After the motifs are read; `motif_file` is named in the warning (empty: none).
void warn_of_strands(const motifsig::SearchModel &model, const std::string &motif_file,
                     const Dataset &dataset, Warnings &warnings);

// After the sites are counted (from `site_file`, or given): a motif whose sites cannot all be
// placed gets E-value inf.
void warn_of_unplaceable_sites(const std::string &site_file, const std::vector<Model> &models,
                               const Dataset &dataset, Warnings &warnings);

// The lattice puts a column's LLR on kLatticeSteps steps from 0 to its largest value, N
// ln(1 / q_min) nats for N sites, and its p-values drift, nearly always upwards, as the step
// grows; the errors of a motif's columns add up in its E-value. Per column a motif drifts by
// about scale * step^power orders of magnitude, fitted to motifs measured against the accurate
// p-values: DNA (4 letters) from 0.4 to 36 nats a step, protein (20 letters) from 0.2 to 40.
// The fits hold within a factor of 1.5 (DNA below 0.3 nats: up to 3 too low; the bundled DNA
// motif of 12 columns and 30 sites is 0.26 estimated, 0.9 measured).
constexpr double kLatticeSteps = 200;
struct LatticeDrift {
  double scale, power;
};
constexpr LatticeDrift kDrift4{0.17, 1.41}, kDrift20{0.38, 1.61};

// The estimated drift (log10) of a motif's lattice E-value from the accurate one.
double lattice_drift_log10(const Model &motif, const Dataset &dataset);

// Before the statistics, with the lattice p-values: one warning for all the motifs whose
// estimated drift reaches one order of magnitude.
void warn_of_coarse_lattice(const motifsig::SearchModel &model, const std::string &site_file,
                            const std::vector<Model> &models, const Dataset &dataset,
                            Warnings &warnings);

// After the statistics with the accurate p-values: one warning per column whose p-value could
// not be confirmed to the promised accuracy.
void warn_of_unchecked_pvalues(const std::string &site_file,
                               const std::vector<UncheckedColumn> &unchecked, Warnings &warnings);
