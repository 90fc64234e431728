// One analysis, as motifsig::Analyser runs it, with what the tool needs beyond the public API.
#pragma once

#include <functional>
#include <vector>

#include "motifsig/motifsig.h"
#include "records/records.h"
#include "stats/stats_cache.h"

struct AnalysisHooks {
  // Called once the motifs are read, before the background and the sites are; it may throw to
  // end the run (the tool checks the logo files, which are named after the motifs).
  std::function<void(const Dataset &dataset, const std::vector<Model> &models)> motifs_read;
};

// Reads or takes the inputs, computes every motif's statistics with `cache` (emptied before and
// after) and returns the results. Throws motifsig::Error.
motifsig::Result run_analysis(StatsCache &cache, const motifsig::Inputs &inputs,
                              const motifsig::SearchModel &model,
                              const motifsig::RunControl &control, const AnalysisHooks &hooks = {});
