// The HTML report (--html): one self-contained page, no scripts, no external files. A summary
// of the run, a table of all motifs, and per motif its sequence logo with a p-value bar under
// every column.
#pragma once

#include <string>
#include <vector>

#include "driver/options.h"
#include "records/records.h"

std::string format_html_report(const RunOptions &options, const std::vector<Model> &models,
                               const Dataset &dataset);
