#include "report/report_json.h"

#include <nlohmann/json.hpp>

#include "report/report_values.h"
#include "stats/log_constants.h"

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif

using nlohmann::ordered_json;

namespace {

ordered_json motif_json(size_t number, const Model &model, int alength) {
  ordered_json motif;
  motif["number"] = number;
  motif["id"] = model.id;
  motif["alt"] = model.alt;
  motif["width"] = model.w;
  motif["nsites"] = model.nsites;
  motif["llr"] = model.llr;
  motif["rel_entropy"] = motif_rel_entropy(model);
  motif["info_content_uniform"] = model.info_content;
  motif["log_evalue"] = model.log_evalue;
  motif["log10_evalue"] = model.log_evalue / LN_10;
  motif["evalue"] = evalue_text(model.log_evalue);
  ordered_json matrix = ordered_json::array();
  ordered_json columns = ordered_json::array();
  for (int i = 0; i < model.w; ++i) {
    matrix.push_back(std::vector<double>(model.matrix[i], model.matrix[i] + alength));
    columns.push_back({{"position", i + 1},
                       {"rel_entropy", model.col_rel_entropy[i]},
                       {"llr", model.col_llr[i]},
                       {"log10_pvalue", column_log10_pvalue(model, i)}});
  }
  motif["matrix"] = std::move(matrix);
  motif["columns"] = std::move(columns);
  return motif;
}

}  // namespace

std::string format_json_report(const ReportRecord &record) {
  const Dataset &dataset = record.dataset;
  const std::vector<Model> &models = record.models;
  ordered_json doc;
  doc["tool"] = {{"name", "motifsig"}, {"version", MOTIFSIG_VERSION}};
  doc["run_date"] = run_date(record.started);
  doc["command_line"] = record.command_line;
  doc["inputs"] = {
      {"sequence_file", record.sequence_file},
      {"motif_file", record.motif_file},
      {"site_file", record.site_file},
      {"sequences", dataset.nseqs},
      {"total_length", total_length(dataset)},
      {"alphabet", std::string(dataset.alphabet, static_cast<size_t>(dataset.alength))},
      {"background", std::vector<double>(dataset.background, dataset.background + dataset.alength)},
  };
  doc["output_file"] = record.output_file;
  doc["model"] = {{"strands", record.strands},
                  {"palindromic", record.palindromic},
                  {"sites", site_model_name(record.site_model)},
                  {"background", background_source(record)},
                  {"pvalues", pvalue_method_name(record.pvalues)}};
  ordered_json warnings = ordered_json::array();
  for (const motifsig::Warning &warning : record.warnings)
    warnings.push_back({{"file", warning.file},
                        {"line", warning.line > 0 ? ordered_json(warning.line) : ordered_json()},
                        {"message", warning.message}});
  doc["warnings"] = std::move(warnings);
  ordered_json motifs = ordered_json::array();
  for (size_t k = 0; k < models.size(); ++k)
    motifs.push_back(motif_json(k + 1, models[k], dataset.alength));
  doc["motifs"] = std::move(motifs);
  // Names, paths and alphabet letters are bytes from the command line and the motif file;
  // bytes that are not UTF-8 become U+FFFD so that the document stays valid JSON.
  return doc.dump(1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}
