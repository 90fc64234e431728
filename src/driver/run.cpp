#include "driver/run.h"

#include <cstdio>

#include "io/output.h"
#include "io/read_background.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "io/reports.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"

namespace {
void announce(const char *line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}
// The search the motifs were found with decides how many placements their sites had.
void apply_search_model(const RunOptions &options, std::vector<Model> &models) {
  for (Model &model : models) {
    model.mtype = options.site_model;
    model.both_strands = options.strands == 2 ? 1 : 0;
    model.palindrome = options.palindromic ? 1 : 0;
  }
}
}  // namespace

int run_motifsig(const RunOptions &options) {
  check_output_paths(options);
  Dataset dataset;
  std::vector<Model> models;
  announce("reading original data file...");
  read_seqs(options.sequences.c_str(), dataset);
  announce("reading models...");
  readmodel(options.motifs.c_str(), models, dataset);
  if (!options.background_path.empty()) read_background(options.background_path.c_str(), dataset);
  apply_search_model(options, models);
  announce("reading motif sequences...");
  read_m_seqs(options.sites.c_str(), models);
  announce("calculating evalues...");
  my_calc_evalue(models, dataset, options.threads);
  make_logos_dir(options);
  output(options.output.c_str(), models, dataset, format_reports(options, models, dataset));
  freestuff();
  release_records(dataset, models);
  return 0;
}
