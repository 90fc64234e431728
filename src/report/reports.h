// The reports written beside the motif file on request: a table with one row per motif
// (--tsv), the whole result as JSON (--json), a page with a sequence logo per motif (--html)
// and one SVG file per logo (--logos). They read the result of a run and change nothing in it.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"
#include "process/output_file.h"

// The path and text of every report that `outputs` asks for (its motif file is not a report).
std::vector<OutputFile> format_reports(const motifsig::Result &result,
                                       const motifsig::Outputs &outputs);

// The motifs' ids, in order: they name the logo files.
std::vector<std::string> motif_ids(const std::vector<motifsig::MotifResult> &motifs);

// Where the logos go in `logos_dir`, named after the motifs' ids, in order; none when it is
// empty.
std::vector<std::string> logo_paths(const std::string &logos_dir,
                                    const std::vector<std::string> &motif_ids);

// Creates the logo directory when it does not exist yet (its parent must); called just before
// the outputs are written, so that a run stopped earlier leaves no directory behind.
void make_logos_dir(const std::string &logos_dir);
