// The reports written beside the motif file on request: a table with one row per motif
// (--tsv), the whole result as JSON (--json) and a page with a sequence logo per motif
// (--html). They read the records after the statistics and change nothing in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/options.h"
#include "io/output_file.h"
#include "records/records.h"
#include "stats/log_constants.h"

// The path and text of every report that `options` asks for.
std::vector<OutputFile> format_reports(const RunOptions &options, const std::vector<Model> &models,
                                       const Dataset &dataset);

// Values that every report shows the same way.
std::string evalue_text(double log_evalue);  // exactly as the motif file writes it
int64_t total_length(const Dataset &dataset);
const char *site_model_name(MOTYPE site_model);
const char *pvalue_method_name(PvalueMethod method);         // "lattice" or "accurate"
const char *pvalue_method_description(PvalueMethod method);  // one line for people            // "per-sequence" or "anywhere"
std::string background_source(const RunOptions &options);  // "motif file" or the --background path
