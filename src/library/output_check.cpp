#include "library/output_check.h"

#include "process/output_paths.h"
#include "report/reports.h"

void check_output_paths(const std::string &sequences, const std::string &motifs,
                        const std::string &sites, const std::string &background,
                        const motifsig::Outputs &outputs,
                        const std::vector<std::string> &motif_ids) {
  const RunPaths paths{sequences,          motifs,      sites,        background,
                       outputs.motif_file, outputs.tsv, outputs.json, outputs.html,
                       outputs.logos_dir};
  const std::string clash = output_path_clash(paths, logo_paths(outputs.logos_dir, motif_ids));
  if (!clash.empty()) throw motifsig::Error(clash, 2);
}

namespace motifsig {

void check_outputs(const Inputs &inputs, const Outputs &outputs) {
  check_output_paths(inputs.sequences_path, inputs.motifs_path, inputs.sites_path,
                     inputs.background_path, outputs);
}

}  // namespace motifsig
