#include "run.h"

#include <unistd.h>

#include "console.h"

int run_motifsig(const RunOptions &options) {
  const motifsig::Outputs &outputs = options.outputs;
  motifsig::RunControl control;
  control.threads = options.threads;
  control.plain_kernel = options.plain_kernel;
  control.warning = print_warning;
  // The logos are named after the motifs: the analysis checks them once it has read those.
  control.outputs = &outputs;
  // Standard output carries a file of the run, which the progress lines would garble.
  bool to_standard_output = false;
  for (const std::string *path : {&outputs.motif_file, &outputs.tsv, &outputs.json, &outputs.html})
    to_standard_output = to_standard_output || *path == "-";
  if (!options.quiet && !to_standard_output) {
    control.progress = print_progress;
    if (isatty(STDERR_FILENO) == 1) control.status = draw_status;
  }
  motifsig::Result result = motifsig::analyse(options.inputs, options.model, control);
  result.warnings.insert(result.warnings.begin(), options.warnings.begin(), options.warnings.end());
  motifsig::write(result, outputs);
  return 0;
}
