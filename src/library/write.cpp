#include <new>
#include <string>
#include <vector>

#include "io/output.h"
#include "library/output_check.h"
#include "library/run_record.h"
#include "motifsig/motifsig.h"
#include "process/output_file.h"
#include "process/tracked_files.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/report_tsv.h"
#include "report/reports.h"
#include "report/sequence_logo_svg.h"

namespace motifsig {

namespace {

const RunRecord &run_of(const Result &result) {
  if (!result.record)
    throw Error("the result holds no record of its run: it was not made by analyse", 2);
  return *result.record;
}

ReportRecord report_record(const Result &result, const std::string &output_file,
                           const std::string &command_line) {
  const RunRecord &run = run_of(result);
  ReportRecord record(run.records.dataset, run.records.models, result.warnings);
  record.sequence_file = run.sequence_file;
  record.motif_file = run.motif_file;
  record.site_file = run.site_file;
  record.background_file = run.background_file;
  record.background_given = run.background_given;
  record.output_file = output_file;
  record.command_line = command_line;
  record.strands = run.model.strands;
  record.palindromic = run.model.palindromic;
  record.site_model = run.model.sites == SiteModel::anywhere ? Pooled : PerSequenceB;
  record.pvalues = run.model.pvalues == motifsig::PvalueMethod::accurate ? ::PvalueMethod::accurate
                                                                         : ::PvalueMethod::lattice;
  record.started = run.started;
  return record;
}

void write_files(const Result &result, const Outputs &outputs) {
  const RunRecord &run = run_of(result);
  const Records &records = run.records;
  check_output_paths(run.sequence_file, run.motif_file, run.site_file, run.background_file, outputs,
                     records.models);
  make_logos_dir(outputs.logos_dir);
  std::vector<OutputFile> files =
      format_reports(report_record(result, outputs.motif_file, outputs.command_line),
                     {outputs.tsv, outputs.json, outputs.html, outputs.logos_dir});
  // The motif file is moved into place last.
  if (!outputs.motif_file.empty())
    files.push_back({outputs.motif_file, format_motif_file(records.models, records.dataset)});
  write_files_atomically(files);
}

}  // namespace

void write(const Result &result, const Outputs &outputs) {
  const SignalCleanup cleanup;
  try {
    write_files(result, outputs);
  } catch (const std::bad_alloc &) {
    throw Error("out of memory", 1);
  }
}

void stop_on_signals() { ::stop_on_signals(); }

std::string motif_file_text(const Result &result) {
  const Records &records = run_of(result).records;
  return format_motif_file(records.models, records.dataset);
}

std::string tsv_text(const Result &result) {
  return format_tsv_report(run_of(result).records.models);
}

std::string json_text(const Result &result, const std::string &command_line) {
  return format_json_report(report_record(result, "", command_line));
}

std::string html_text(const Result &result, const std::string &command_line) {
  return format_html_report(report_record(result, "", command_line));
}

std::string logo_svg(const Result &result, int motif_number) {
  const Records &records = run_of(result).records;
  const std::vector<Model> &models = records.models;
  if (motif_number < 1 || static_cast<size_t>(motif_number) > models.size())
    throw Error("there is no motif " + std::to_string(motif_number) + ": the result has " +
                    std::to_string(models.size()) + " motifs",
                2);
  return standalone_logo_svg(models[motif_number - 1], records.dataset,
                             logo_scales(models, records.dataset),
                             static_cast<size_t>(motif_number));
}

}  // namespace motifsig
