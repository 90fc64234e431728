#include "report/reports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "process/diagnostics.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/report_tsv.h"
#include "report/report_values.h"
#include "report/sequence_logo_svg.h"

std::vector<std::string> motif_ids(const std::vector<motifsig::MotifResult> &motifs) {
  std::vector<std::string> ids;
  for (const motifsig::MotifResult &motif : motifs) ids.push_back(motif.id);
  return ids;
}

std::vector<std::string> logo_paths(const std::string &logos_dir,
                                    const std::vector<std::string> &motif_ids) {
  std::vector<std::string> paths;
  if (logos_dir.empty()) return paths;
  const std::string dir = logos_dir + (logos_dir.back() == '/' ? "" : "/");
  for (size_t k = 0; k < motif_ids.size(); ++k)
    paths.push_back(dir + logo_file_name(k + 1, motif_ids[k]));
  return paths;
}

void make_logos_dir(const std::string &logos_dir) {
  if (logos_dir.empty()) return;
  const char *path = logos_dir.c_str();
  if (mkdir(path, 0777) == 0) return;
  const int saved = errno;
  struct stat info;
  if (saved == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode)) return;
  std::string target(4096, '\0');
  const ssize_t size = saved == EEXIST ? readlink(path, target.data(), target.size()) : -1;
  if (size >= 0)
    file_error(path, 0,
               "cannot create the directory for --logos: the path is a symbolic link to '%s', "
               "which does not exist; give the directory itself, or create it first",
               printable(target.substr(0, static_cast<size_t>(size))).c_str());
  system_file_error(path, saved, "cannot create the directory for --logos");
}

std::vector<OutputFile> format_reports(const motifsig::Result &result,
                                       const motifsig::Outputs &outputs) {
  const std::string &output_file = outputs.motif_file, &command_line = outputs.command_line;
  const std::vector<motifsig::MotifResult> &motifs = result.motifs;
  std::vector<OutputFile> reports;
  if (!outputs.tsv.empty()) reports.push_back({outputs.tsv, format_tsv_report(motifs)});
  if (!outputs.json.empty())
    reports.push_back({outputs.json, format_json_report(result, output_file, command_line)});
  if (!outputs.html.empty())
    reports.push_back({outputs.html, format_html_report(result, output_file, command_line)});
  if (!outputs.logos_dir.empty()) {
    const LogoScales scales = logo_scales(result);
    std::vector<std::string> paths = logo_paths(outputs.logos_dir, motif_ids(motifs));
    for (size_t k = 0; k < motifs.size(); ++k)
      reports.push_back(
          {std::move(paths[k]), standalone_logo_svg(motifs[k], result.alphabet, scales, k + 1)});
  }
  return reports;
}
