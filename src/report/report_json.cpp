#include "report/report_json.h"

#include <nlohmann/json.hpp>

#include "report/report_values.h"

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif

using nlohmann::ordered_json;

namespace {

ordered_json motif_json(size_t number, const motifsig::MotifResult &motif) {
  ordered_json out;
  out["number"] = number;
  out["id"] = motif.id;
  out["alt"] = motif.alt;
  out["width"] = motif.width;
  out["nsites"] = motif.nsites;
  out["llr"] = motif.llr;
  out["rel_entropy"] = motif_rel_entropy(motif);
  out["info_content_uniform"] = motif.info_content;
  out["log_evalue"] = motif.log_evalue;
  out["log10_evalue"] = motif.log10_evalue;
  out["evalue"] = motif.evalue_text;
  ordered_json columns = ordered_json::array();
  for (size_t i = 0; i < motif.columns.size(); ++i) {
    const motifsig::ColumnResult &column = motif.columns[i];
    columns.push_back({{"position", i + 1},
                       {"rel_entropy", column.rel_entropy},
                       {"llr", column.llr},
                       {"log10_pvalue", column_log10_pvalue(column)}});
  }
  out["matrix"] = motif.matrix;
  out["columns"] = std::move(columns);
  return out;
}

}  // namespace

std::string format_json_report(const motifsig::Result &result, const std::string &output_file,
                               const std::string &command_line) {
  const motifsig::RunDescription &run = result.run;
  ordered_json doc;
  doc["tool"] = {{"name", "motifsig"}, {"version", MOTIFSIG_VERSION}};
  doc["run_date"] = run_date(run.started);
  doc["command_line"] = command_line;
  doc["inputs"] = {
      {"sequence_file", run.sequence_file}, {"motif_file", run.motif_file},
      {"site_file", run.site_file},         {"sequences", run.sequences},
      {"total_length", run.total_length},   {"alphabet", result.alphabet},
      {"background", result.background},
  };
  doc["output_file"] = output_file;
  doc["model"] = {{"strands", run.model.strands},
                  {"palindromic", run.model.palindromic},
                  {"sites", site_model_name(run.model.sites)},
                  {"background", background_source(run)},
                  {"pvalues", pvalue_method_name(run.model.pvalues)}};
  ordered_json warnings = ordered_json::array();
  for (const motifsig::Warning &warning : result.warnings)
    warnings.push_back({{"file", warning.file},
                        {"line", warning.line > 0 ? ordered_json(warning.line) : ordered_json()},
                        {"message", warning.message}});
  doc["warnings"] = std::move(warnings);
  ordered_json motifs = ordered_json::array();
  for (size_t k = 0; k < result.motifs.size(); ++k)
    motifs.push_back(motif_json(k + 1, result.motifs[k]));
  doc["motifs"] = std::move(motifs);
  // Names, paths and alphabet letters are bytes from the command line and the motif file;
  // bytes that are not UTF-8 become U+FFFD so that the document stays valid JSON.
  return doc.dump(1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}
