#include "driver/output_paths.h"

#include <sys/stat.h>

#include <utility>
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

std::string output_path_clash(const RunOptions &options,
                              const std::vector<std::string> &logo_files) {
  struct stat info;
  if (!options.logos_dir.empty() && stat(options.logos_dir.c_str(), &info) == 0 &&
      !S_ISDIR(info.st_mode))
    return printable(options.logos_dir) + ": --logos needs a directory, and this is not one";
  const std::vector<NamedPath> inputs =
      identified({{"the sequence file", options.sequences, {}},
                  {"the motif file", options.motifs, {}},
                  {"the site file", options.sites, {}},
                  {"the background file", options.background_path, {}}});
  // A --logos directory not there yet is made as the files are written, so no other output may
  // take its name either.
  std::vector<NamedPath> given = {{"the output file", options.output, {}},
                                  {"--tsv", options.tsv_path, {}},
                                  {"--json", options.json_path, {}},
                                  {"--html", options.html_path, {}},
                                  {"--logos", options.logos_dir, {}}};
  for (const std::string &file : logo_files) given.push_back({"--logos", file, {}});
  const std::vector<NamedPath> outputs = identified(std::move(given));
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
