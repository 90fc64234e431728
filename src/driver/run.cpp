#include "driver/run.h"

#include <unistd.h>

#include "driver/console.h"
#include "library/analysis.h"
#include "process/file_identity.h"
#include "report/reports.h"
#include "stats/stats_cache.h"

int run_motifsig(const RunOptions &options) {
  motifsig::Inputs inputs;
  inputs.sequences_path = options.sequences;
  inputs.fasta = options.fasta;
  inputs.motifs_path = options.motifs;
  inputs.sites_path = options.sites;
  inputs.background_path = options.background_path;
  motifsig::RunControl control;
  control.threads = options.threads;
  control.plain_kernel = options.plain_kernel;
  control.warning = print_warning;
  // Standard output carries a file of the run, which the progress lines would garble.
  bool to_standard_output = false;
  for (const std::string *path :
       {&options.output, &options.tsv_path, &options.json_path, &options.html_path})
    to_standard_output = to_standard_output || is_standard_output(*path);
  if (!options.quiet && !to_standard_output) {
    control.progress = print_progress;
    if (isatty(STDERR_FILENO) == 1) control.status = draw_status;
  }
  AnalysisHooks hooks;
  // The logos are named after the motifs: only once they are read can they be checked like the
  // other outputs.
  hooks.motifs_read = [&options](const Dataset &, const std::vector<Model> &models) {
    if (options.logos_dir.empty()) return;
    const std::string clash =
        output_path_clash(run_paths(options), logo_paths(options.logos_dir, models));
    if (!clash.empty()) throw motifsig::Error(clash, 2);
  };
  StatsCache cache;
  motifsig::Result result = run_analysis(cache, inputs, options.model, control, hooks);
  result.warnings.insert(result.warnings.begin(), options.warnings.begin(), options.warnings.end());
  motifsig::Outputs outputs;
  outputs.motif_file = options.output;
  outputs.tsv = options.tsv_path;
  outputs.json = options.json_path;
  outputs.html = options.html_path;
  outputs.logos_dir = options.logos_dir;
  outputs.command_line = options.command_line;
  motifsig::write(result, outputs);
  return 0;
}
