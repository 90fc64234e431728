#include "report/reports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "io/number_format.h"
#include "process/diagnostics.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/report_tsv.h"
#include "report/sequence_logo_svg.h"
#include "stats/tail_settings.h"

std::string evalue_text(double log_evalue) {
  std::string text;
  append_evalue(text, log_evalue);
  return text;
}

int64_t total_length(const Dataset &dataset) {
  int64_t total = 0;
  for (int i = 0; i < dataset.nseqs; ++i) total += dataset.seqs[i]->length;
  return total;
}

const char *pvalue_method_name(PvalueMethod method) {
  return method == PvalueMethod::accurate ? "accurate" : "lattice";
}

std::string pvalue_method_description(PvalueMethod method) {
  return method == PvalueMethod::accurate
             ? std::string("Accurate (--pvalues accurate): every column's p-value is computed ") +
                   kAccurateWithin +
                   ", so a motif with many sites usually gets a smaller, more significant "
                   "E-value than the default lattice gives it."
             : "Lattice, the default: each column's LLR is rounded to a grid of 200 steps, as "
               "stored motif files were computed, which overstates the p-values (and the "
               "E-values) of motifs with more than a few dozen sites.";
}

const char *site_model_name(MOTYPE site_model) {
  return site_model == Pooled ? "anywhere" : "per-sequence";
}

std::string background_source(const ReportRecord &record) {
  if (record.background_given) return "given";
  return record.background_file.empty() ? "motif file" : record.background_file;
}

double motif_rel_entropy(const Model &model) {
  double sum = 0;
  for (int i = 0; i < model.w; ++i) sum += model.col_rel_entropy[i];
  return sum;
}

double column_log10_pvalue(const Model &model, int i) {
  const double value = model.col_log_pvalue[i] / LN_10;
  return value > 0 ? 0 : value;
}

bool is_significant(const Model &model) { return model.log_evalue < std::log(kSignificantEvalue); }

std::string run_date(std::time_t started) {
  std::time_t when = started;
  if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char *end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == '\0' && seconds >= 0) when = static_cast<std::time_t>(seconds);
  }
  std::tm utc{};
  char text[32] = "";
  if (gmtime_r(&when, &utc) != nullptr)
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string logo_file_name(size_t number, const Model &model) {
  const std::string plain = "motif-" + std::to_string(number);
  const std::string &id = model.id;
  const bool safe = !id.empty() && id.size() <= 64 && id[0] != '.' && id[0] != '-' &&
                    id.find_first_not_of(
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                        "0123456789._+-") == std::string::npos;
  return safe && id != std::to_string(number) ? plain + "-" + id + ".svg" : plain + ".svg";
}

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
