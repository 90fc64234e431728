// The motif table (--tsv): a header row, then one TAB-separated row per motif with its number,
// id and alt name, width, sites, LLR (nats), relative entropy against the run's background (bits),
// information content against a uniform background (bits), log10 E-value and the E-value text
// of the motif file. Numbers are written to full precision.
#pragma once

#include <string>
#include <vector>

#include "motifsig/motifsig.h"

std::string format_tsv_report(const std::vector<motifsig::MotifResult> &motifs);
