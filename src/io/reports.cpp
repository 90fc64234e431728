#include "io/reports.h"

#include <utility>

#include "io/diagnostics.h"
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

const char *site_model_name(MOTYPE site_model) {
  return site_model == Pooled ? "anywhere" : "per-sequence";
}

std::string background_source(const RunOptions &options) {
  return options.background_path.empty() ? "motif file" : options.background_path;
}

void check_output_paths(const RunOptions &options) {
  const std::pair<const char *, const std::string *> outputs[] = {
      {"the output file", &options.output},
      {"--tsv", &options.tsv_path},
      {"--json", &options.json_path},
      {"--html", &options.html_path}};
  for (size_t a = 0; a < 4; ++a)
    for (size_t b = a + 1; b < 4; ++b)
      if (!outputs[b].second->empty() && *outputs[a].second == *outputs[b].second)
        file_error(outputs[b].second->c_str(), 0, "given for both %s and %s", outputs[a].first,
                   outputs[b].first);
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
