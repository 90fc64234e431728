#include "driver/output_paths.h"

#include <vector>

#include "io/diagnostics.h"
#include "io/file_identity.h"

namespace {

struct NamedPath {
  const char *role;
  const std::string &path;
  FileIdentity id;
};

std::vector<NamedPath> identified(std::vector<NamedPath> paths) {
  std::vector<NamedPath> given;
  for (NamedPath &named : paths)
    if (!named.path.empty()) {
      named.id = identify_file(named.path);
      given.push_back(named);
    }
  return given;
}

// "PATH: ROLE VERB OTHER_ROLE", with the other path when it is spelled otherwise.
std::string clash(const NamedPath &output, const char *verb, const NamedPath &other) {
  std::string message = printable(output.path) + ": " + output.role + verb + other.role;
  if (other.path != output.path) message += " (" + printable(other.path) + ")";
  return message;
}

}  // namespace

std::string output_path_clash(const RunOptions &options) {
  const std::vector<NamedPath> inputs =
      identified({{"the sequence file", options.sequences, {}},
                  {"the motif file", options.motifs, {}},
                  {"the site file", options.sites, {}},
                  {"the background file", options.background_path, {}}});
  const std::vector<NamedPath> outputs = identified({{"the output file", options.output, {}},
                                                     {"--tsv", options.tsv_path, {}},
                                                     {"--json", options.json_path, {}},
                                                     {"--html", options.html_path, {}}});
  for (size_t a = 0; a < outputs.size(); ++a) {
    if (!outputs[a].id.regular) continue;
    for (const NamedPath &input : inputs)
      if (same_file(outputs[a].id, input.id)) return clash(outputs[a], " would replace ", input);
    for (size_t b = 0; b < a; ++b)
      if (same_file(outputs[a].id, outputs[b].id))
        return clash(outputs[a], " is the same file as ", outputs[b]);
  }
  return "";
}
