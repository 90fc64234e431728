#include "io/reports.h"

#include "io/number_format.h"
#include "io/report_html.h"
#include "io/report_json.h"
#include "io/report_tsv.h"

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

const char *pvalue_method_description(PvalueMethod method) {
  return method == PvalueMethod::accurate
             ? "accurate: exact enumeration, or a tilted FFT reading within 0.01 in log10"
             : "lattice: each column's LLR rounded to a grid of 200 steps";
}

const char *site_model_name(MOTYPE site_model) {
  return site_model == Pooled ? "anywhere" : "per-sequence";
}

std::string background_source(const RunOptions &options) {
  return options.background_path.empty() ? "motif file" : options.background_path;
}

std::vector<OutputFile> format_reports(const RunOptions &options, const std::vector<Model> &models,
                                       const Dataset &dataset) {
  std::vector<OutputFile> reports;
  if (!options.tsv_path.empty()) reports.push_back({options.tsv_path, format_tsv_report(models)});
  if (!options.json_path.empty())
    reports.push_back({options.json_path, format_json_report(options, models, dataset)});
  if (!options.html_path.empty())
    reports.push_back({options.html_path, format_html_report(options, models, dataset)});
  return reports;
}
