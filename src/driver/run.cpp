#include "driver/run.h"

#include "driver/command_line.h"
#include "driver/output_paths.h"
#include "driver/run_warnings.h"
#include "io/output.h"
#include "io/read_background.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "io/reports.h"
#include "records/progress.h"
#include "records/run_stop.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"

namespace {
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
  set_progress_lines(!options.quiet);
  Dataset dataset;
  std::vector<Model> models;
  progress_line("reading original data file...");
  read_seqs(options.sequences.c_str(), dataset, options.fasta);
  progress_line("reading models...");
  readmodel(options.motifs.c_str(), models, dataset);
  warn_of_strands(options, dataset);
  if (!options.logos_dir.empty()) {
    // The logos are named after the motifs: only now can they be checked like the other outputs.
    const std::string clash = output_path_clash(options, logo_paths(options, models));
    if (!clash.empty()) {
      usage_error(clash);
      stop_run(2);
    }
  }
  if (!options.background_path.empty()) read_background(options.background_path.c_str(), dataset);
  apply_search_model(options, models);
  progress_line("reading motif sequences...");
  read_m_seqs(options.sites.c_str(), models);
  warn_of_coarse_lattice(options, models, dataset);
  progress_line("calculating evalues...");
  std::vector<UncheckedColumn> unchecked;
  my_calc_evalue(models, dataset, options.threads, options.pvalues, &unchecked);
  warn_of_unchecked_pvalues(options, unchecked);
  warn_of_unplaceable_sites(options, models, dataset);
  make_logos_dir(options);
  output(options.output.c_str(), models, dataset, format_reports(options, models, dataset));
  freestuff();
  release_records(dataset, models);
  return 0;
}
