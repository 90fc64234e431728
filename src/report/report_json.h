// The whole result as one JSON document (--json): the tool, the run's date and command line,
// the inputs, the search model and the warnings, then per motif its names, statistics, matrix
// and per-column values. A number that is not finite is written as null; the E-value text says
// what it was.
#pragma once

#include <string>
#include <vector>

#include "report/report_record.h"

std::string format_json_report(const ReportRecord &record);
