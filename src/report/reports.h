// The reports written beside the motif file on request: a table with one row per motif
// (--tsv), the whole result as JSON (--json), a page with a sequence logo per motif (--html)
// and one SVG file per logo (--logos). They read the records after the statistics and change
// nothing in them.
#pragma once

#include <string>
#include <vector>

#include "process/output_file.h"
#include "records/records.h"
#include "report/report_record.h"

// Where the reports go; an empty path is not written.
struct ReportFiles {
  std::string tsv, json, html;
  std::string logos_dir;  // one SVG file per motif
};

// The path and text of every report that `files` asks for.
std::vector<OutputFile> format_reports(const ReportRecord &record, const ReportFiles &files);

// Where the logos go in `logos_dir`, in the order of the motifs; none when it is empty.
std::vector<std::string> logo_paths(const std::string &logos_dir, const std::vector<Model> &models);

// Creates the logo directory when it does not exist yet (its parent must); called just before
// the outputs are written, so that a run stopped earlier leaves no directory behind.
void make_logos_dir(const std::string &logos_dir);
