// The HTML report (--html): one self-contained page, no external files. The date, version and
// search model of the run, its warnings, a summary, a table of all motifs that a small script
// sorts, and per motif its sequence logo with a p-value bar under every column and a link that
// saves the logo. Everything but the sorting reads without scripts.
#pragma once

#include <string>

#include "motifsig/motifsig.h"

// `output_file` and `command_line` as the run was given them; either may be empty.
std::string format_html_report(const motifsig::Result &result, const std::string &output_file,
                               const std::string &command_line);
