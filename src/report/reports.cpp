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

std::vector<std::string> logo_paths(const std::string &logos_dir,
                                    const std::vector<Model> &models) {
  std::vector<std::string> paths;
  if (logos_dir.empty()) return paths;
  const std::string dir = logos_dir + (logos_dir.back() == '/' ? "" : "/");
  for (size_t k = 0; k < models.size(); ++k)
    paths.push_back(dir + logo_file_name(k + 1, models[k]));
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

std::vector<OutputFile> format_reports(const ReportRecord &record, const ReportFiles &files) {
  const std::vector<Model> &models = record.models;
  const Dataset &dataset = record.dataset;
  std::vector<OutputFile> reports;
  if (!files.tsv.empty()) reports.push_back({files.tsv, format_tsv_report(models)});
  if (!files.json.empty()) reports.push_back({files.json, format_json_report(record)});
  if (!files.html.empty()) reports.push_back({files.html, format_html_report(record)});
  if (!files.logos_dir.empty()) {
    const LogoScales scales = logo_scales(models, dataset);
    std::vector<std::string> paths = logo_paths(files.logos_dir, models);
    for (size_t k = 0; k < models.size(); ++k)
      reports.push_back(
          {std::move(paths[k]), standalone_logo_svg(models[k], dataset, scales, k + 1)});
  }
  return reports;
}
