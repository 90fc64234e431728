#include "process/output_paths.h"

#include <sys/stat.h>

#include <utility>
#include <vector>

#include "process/diagnostics.h"
#include "process/file_identity.h"

namespace {

struct NamedPath {
  const char *role;
  const std::string &path;
  FileIdentity id;
};

// `outputs`: the paths are written, where "-" is standard output.
std::vector<NamedPath> identified(std::vector<NamedPath> paths, bool outputs) {
  std::vector<NamedPath> given;
  for (NamedPath &named : paths)
    if (!named.path.empty()) {
      named.id = outputs && is_standard_output(named.path) ? identify_standard_output()
                                                           : identify_file(named.path);
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

std::string output_path_clash(const RunPaths &paths, const std::vector<std::string> &logo_files) {
  struct stat info;
  if (!paths.logos_dir.empty() && stat(paths.logos_dir.c_str(), &info) == 0 &&
      !S_ISDIR(info.st_mode))
    return printable(paths.logos_dir) + ": --logos needs a directory, and this is not one";
  if (is_standard_output(paths.logos_dir))
    return "-: --logos needs a directory; its files cannot go to standard output";
  const std::vector<NamedPath> inputs = identified({{"the sequence file", paths.sequences, {}},
                                                    {"the motif file", paths.motifs, {}},
                                                    {"the site file", paths.sites, {}},
                                                    {"the background file", paths.background, {}}},
                                                   false);
  // A --logos directory not there yet is made as the files are written, so no other output may
  // take its name either.
  std::vector<NamedPath> given = {{"the output file", paths.output, {}},
                                  {"--tsv", paths.tsv, {}},
                                  {"--json", paths.json, {}},
                                  {"--html", paths.html, {}},
                                  {"--logos", paths.logos_dir, {}}};
  for (const std::string &file : logo_files) given.push_back({"--logos", file, {}});
  const std::vector<NamedPath> outputs = identified(std::move(given), true);
  for (size_t a = 0; a < outputs.size(); ++a) {
    for (size_t b = 0; b < a && is_standard_output(outputs[a].path); ++b)
      if (is_standard_output(outputs[b].path))
        return std::string("-: ") + outputs[a].role + " and " + outputs[b].role +
               " cannot both go to standard output";
    if (!outputs[a].id.regular) continue;
    for (const NamedPath &input : inputs)
      if (same_file(outputs[a].id, input.id)) return clash(outputs[a], " would replace ", input);
    for (size_t b = 0; b < a; ++b)
      if (same_file(outputs[a].id, outputs[b].id))
        return clash(outputs[a], " is the same file as ", outputs[b]);
  }
  return "";
}
