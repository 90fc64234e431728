// Values that every report shows the same way, so that the table, the JSON document, the page
// and the logos agree on each number and name of a run.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "motifsig/motifsig.h"

// A motif whose E-value is below this is marked significant in the HTML report.
constexpr double kSignificantEvalue = 0.05;

const char *site_model_name(motifsig::SiteModel sites);                // "per-sequence", "anywhere"
const char *pvalue_method_name(motifsig::PvalueMethod method);         // "lattice" or "accurate"
std::string pvalue_method_description(motifsig::PvalueMethod method);  // one plain sentence
// "motif file", the --background path, or "given" (in memory).
std::string background_source(const motifsig::RunDescription &run);
// The information of a motif: the sum of its columns' relative entropies against the run's
// background, in bits, which is the height of all stacks of its logo together.
double motif_rel_entropy(const motifsig::MotifResult &motif);
// log10 of the column's p-value, at most 0: interpolation in the distribution's tail table can
// give a p-value a hair above 1 for a column at the background.
double column_log10_pvalue(const motifsig::ColumnResult &column);
bool is_significant(const motifsig::MotifResult &motif);
// `started` in UTC, as "2026-12-07T08:15:00Z"; SOURCE_DATE_EPOCH, when set to a number of
// seconds, stands for the clock, so that a rebuilt report can be the same to the byte.
std::string run_date(std::time_t started);
// The name of motif `number`'s logo file: "motif-2.svg", or "motif-2-ID.svg" when the motif's
// id is a plain file name that says more than the number.
std::string logo_file_name(size_t number, const std::string &id);
