// The whole result as one JSON document (--json): the tool, the run's date and command line,
// the inputs, the search model and the warnings, then per motif its names, statistics, matrix
// and per-column values. A number that is not finite is written as null; the E-value text says
// what it was.
#pragma once

#include <string>

#include "motifsig/motifsig.h"

// `output_file` and `command_line` as the run was given them; either may be empty.
std::string format_json_report(const motifsig::Result &result, const std::string &output_file,
                               const std::string &command_line);
