// The HTML report (--html): one self-contained page, no external files. The date, version and
// search model of the run, its warnings, a summary, a table of all motifs that a small script
// sorts, and per motif its sequence logo with a p-value bar under every column and a link that
// saves the logo. Everything but the sorting reads without scripts.
#pragma once

#include <string>
#include <vector>

#include "report/report_record.h"

std::string format_html_report(const ReportRecord &record);
