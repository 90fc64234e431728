// Values that every report shows the same way, so that the table, the JSON document, the page
// and the logos agree on each number and name of a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "records/records.h"
#include "report/report_record.h"

// A motif whose E-value is below this is marked significant in the HTML report.
constexpr double kSignificantEvalue = 0.05;

std::string evalue_text(double log_evalue);  // exactly as the motif file writes it
int64_t total_length(const Dataset &dataset);
const char *site_model_name(MOTYPE site_model);              // "per-sequence" or "anywhere"
const char *pvalue_method_name(PvalueMethod method);         // "lattice" or "accurate"
std::string pvalue_method_description(PvalueMethod method);  // one plain sentence
// "motif file", the --background path, or "given" (in memory).
std::string background_source(const ReportRecord &record);
// The information of a motif: the sum of its columns' relative entropies against the run's
// background, in bits, which is the height of all stacks of its logo together.
double motif_rel_entropy(const Model &model);
// log10 of column i's p-value, at most 0: interpolation in the distribution's tail table can
// give a p-value a hair above 1 for a column at the background.
double column_log10_pvalue(const Model &model, int i);
bool is_significant(const Model &model);
// `started` in UTC, as "2026-12-07T08:15:00Z"; SOURCE_DATE_EPOCH, when set to a number of
// seconds, stands for the clock, so that a rebuilt report can be the same to the byte.
std::string run_date(std::time_t started);
// The name of motif `number`'s logo file: "motif-2.svg", or "motif-2-ID.svg" when the motif's
// id is a plain file name that says more than the number.
std::string logo_file_name(size_t number, const Model &model);
