#include <new>
#include <string>
#include <vector>

#include "io/output.h"
#include "library/output_check.h"
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

// The writers index the matrices and columns by the alphabet and the width: a result whose
// sizes disagree (one not made by analyse, or changed since) is refused.
const Result &checked(const Result &result) {
  const size_t letters = result.alphabet.size();
  auto refuse = [](const std::string &what) {
    throw Error("the result cannot be written: " + what, 2);
  };
  if (result.background.size() != letters)
    refuse(std::to_string(result.background.size()) + " background frequencies for " +
           std::to_string(letters) + " letters");
  for (size_t k = 0; k < result.motifs.size(); ++k) {
    const MotifResult &motif = result.motifs[k];
    const std::string which = "motif " + std::to_string(k + 1);
    if (motif.width < 0 || motif.columns.size() != static_cast<size_t>(motif.width) ||
        motif.matrix.size() != motif.columns.size())
      refuse(which + " is " + std::to_string(motif.width) + " wide with " +
             std::to_string(motif.columns.size()) + " columns and " +
             std::to_string(motif.matrix.size()) + " matrix rows");
    for (const std::vector<double> &row : motif.matrix)
      if (row.size() != letters)
        refuse(which + " has a matrix row of " + std::to_string(row.size()) + " values for " +
               std::to_string(letters) + " letters");
  }
  return result;
}

void write_files(const Result &result, const Outputs &outputs) {
  const RunDescription &run = checked(result).run;
  check_output_paths(run.sequence_file, run.motif_file, run.site_file, run.background_file, outputs,
                     motif_ids(result.motifs));
  make_logos_dir(outputs.logos_dir);
  std::vector<OutputFile> files = format_reports(result, outputs);
  // The motif file is moved into place last.
  if (!outputs.motif_file.empty()) files.push_back({outputs.motif_file, format_motif_file(result)});
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

std::string motif_file_text(const Result &result) { return format_motif_file(checked(result)); }

std::string tsv_text(const Result &result) { return format_tsv_report(checked(result).motifs); }

std::string json_text(const Result &result, const std::string &command_line) {
  return format_json_report(checked(result), "", command_line);
}

std::string html_text(const Result &result, const std::string &command_line) {
  return format_html_report(checked(result), "", command_line);
}

std::string logo_svg(const Result &result, int motif_number) {
  const std::vector<MotifResult> &motifs = checked(result).motifs;
  if (motif_number < 1 || static_cast<size_t>(motif_number) > motifs.size())
    throw Error("there is no motif " + std::to_string(motif_number) + ": the result has " +
                    std::to_string(motifs.size()) + " motifs",
                2);
  return standalone_logo_svg(motifs[motif_number - 1], result.alphabet, logo_scales(result),
                             static_cast<size_t>(motif_number));
}

}  // namespace motifsig
