#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "io/number_format.h"
#include "io/read_background.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "library/input_warnings.h"
#include "library/memory_inputs.h"
#include "library/output_check.h"
#include "motifsig/motifsig.h"
#include "process/cancellation.h"
#include "process/diagnostics.h"
#include "stats/llr_pvalue.h"
#include "stats/log_constants.h"
#include "stats/motif_evalue.h"
#include "stats/stats_cache.h"

namespace {

using motifsig::Error;

// The search the motifs were found with decides how many placements their sites had.
void apply_search_model(const motifsig::SearchModel &search, std::vector<Model> &models) {
  for (Model &model : models) {
    model.mtype = search.sites == motifsig::SiteModel::anywhere ? Pooled : PerSequenceB;
    model.both_strands = search.strands == 2 ? 1 : 0;
    model.palindrome = search.palindromic ? 1 : 0;
  }
}

// The statistics' results, copied once into the result: the records are released with the run.
void take_results(const Records &records, motifsig::Result &result) {
  const Dataset &dataset = records.dataset;
  const size_t alength = static_cast<size_t>(dataset.alength);
  result.alphabet.assign(dataset.alphabet, alength);
  result.background.assign(dataset.background, dataset.background + alength);
  result.run.sequences = dataset.nseqs;
  for (int i = 0; i < dataset.nseqs; ++i) result.run.total_length += dataset.seqs[i]->length;
  for (size_t k = 0; k < records.models.size(); ++k) {
    const Model &model = records.models[k];
    motifsig::MotifResult &r = result.motifs.emplace_back();
    r.number = static_cast<int>(k + 1);
    r.id = model.id;
    r.alt = model.alt;
    r.width = model.w;
    r.nsites = model.nsites;
    r.llr = model.llr;
    r.info_content = model.info_content;
    r.log_evalue = model.log_evalue;
    r.log10_evalue = model.log_evalue / LN_10;
    append_evalue(r.evalue_text, model.log_evalue);
    for (int i = 0; i < model.w; ++i) {
      r.columns.push_back({model.col_rel_entropy[i], model.col_llr[i], model.col_log_pvalue[i]});
      r.matrix.emplace_back(model.matrix[i], model.matrix[i] + alength);
    }
  }
}

void compute(StatsCache &cache, Records &records, const motifsig::Inputs &inputs,
             const motifsig::SearchModel &search, const motifsig::RunControl &control,
             Warnings &warnings) {
  auto progress = [&](const char *line) {
    if (control.progress) control.progress(line);
  };
  Dataset &dataset = records.dataset;
  std::vector<Model> &models = records.models;
  progress("reading original data file...");
  if (!inputs.sequences_path.empty())
    read_seqs(inputs.sequences_path.c_str(), dataset, warnings, inputs.fasta);
  else
    take_sequence_lengths(inputs.sequence_lengths, dataset);
  progress("reading models...");
  if (!inputs.motifs_path.empty())
    readmodel(inputs.motifs_path.c_str(), models, dataset);
  else
    take_motifs(inputs, records);
  warn_of_strands(search, inputs.motifs_path, dataset, warnings);
  if (control.outputs) {
    std::vector<std::string> ids;
    for (const Model &model : models) ids.push_back(model.id);
    check_output_paths(inputs.sequences_path, inputs.motifs_path, inputs.sites_path,
                       inputs.background_path, *control.outputs, ids);
  }
  if (!inputs.background_path.empty())
    read_background(inputs.background_path.c_str(), dataset);
  else if (!inputs.background_override.empty())
    take_background(inputs.background_override, dataset);
  apply_search_model(search, models);
  progress("reading motif sequences...");
  if (!inputs.sites_path.empty())
    read_m_seqs(inputs.sites_path.c_str(), models, &warnings);
  else
    take_site_counts(inputs, models);
  warn_of_coarse_lattice(search, inputs.sites_path, models, dataset, warnings);
  throw_if_cancelled();
  progress("calculating evalues...");
  EvalueRun evalues;
  evalues.threads = control.threads;
  evalues.method = search.pvalues;
  evalues.progress = control.progress;
  evalues.status = control.status;
  freestuff(cache);
  cache.plain_kernel = control.plain_kernel;
  std::vector<UncheckedColumn> unchecked;
  evalues.unchecked = &unchecked;
  std::vector<double> shown_background;
  evalues.lattice_background = &shown_background;
  try {
    my_calc_evalue(models, dataset, cache, evalues);
  } catch (const BareError &error) {
    // Without sequences the statistics stop at the placement count with a message that names
    // no file: the line before it says which file is empty (lengths given are never none).
    if (dataset.nseqs != 0) throw;
    throw BareError(printable(inputs.sequences_path) +
                        ": the file holds no sequences (it is empty, holds only header lines, or "
                        "ends its lines with carriage returns alone)",
                    error, inputs.sequences_path);
  }
  freestuff(cache);
  // The motif file and the reports show the background as the lattice left it.
  std::copy(shown_background.begin(), shown_background.end(), dataset.background);
  warn_of_unchecked_pvalues(inputs.sites_path, unchecked, warnings);
  warn_of_unplaceable_sites(inputs.sites_path, models, dataset, warnings);
}

// Reads or takes the inputs, computes every motif's statistics with `cache` (emptied before and
// after) and returns the results.
motifsig::Result run_analysis(StatsCache &cache, const motifsig::Inputs &inputs,
                              const motifsig::SearchModel &model,
                              const motifsig::RunControl &control) {
  motifsig::check_settings(model, control);
  motifsig::Result result;
  try {
    motifsig::RunDescription &run = result.run;
    run.started = std::time(nullptr);
    run.sequence_file = inputs.sequences_path;
    run.motif_file = inputs.motifs_path;
    run.site_file = inputs.sites_path;
    run.background_file = inputs.background_path;
    run.background_given = inputs.background_path.empty() && !inputs.background_override.empty();
    run.model = model;
    Warnings warnings(control.warning);
    const CancelScope cancel(control.cancel);
    Records records;
    try {
      compute(cache, records, inputs, model, control, warnings);
      throw_if_cancelled();  // numbers cut short are never a result
    } catch (...) {
      freestuff(cache);
      throw;
    }
    take_results(records, result);
    result.warnings = warnings.list();
  } catch (const std::bad_alloc &) {
    freestuff(cache);
    throw Error("out of memory", 1);
  }
  return result;
}

}  // namespace

namespace motifsig {

void check_settings(const SearchModel &model, const RunControl &control,
                    const std::string &spelling) {
  const std::string &s = spelling;
  if (model.strands != 1 && model.strands != 2)
    throw Error(s + "strands: expected 1 or 2, not '" + std::to_string(model.strands) + "'", 2);
  if (model.palindromic && model.strands != 2)
    throw Error(s + "palindromic needs " + s +
                    "strands 2: a site and its reverse complement count once only when both "
                    "strands are searched",
                2);
  if (control.threads < 0 || control.threads > 4096)
    throw Error(s + "threads: expected a whole number from 1 to 4096, not '" +
                    std::to_string(control.threads) + "'",
                2);
}

struct Analyser::State {
  StatsCache cache;
};

Analyser::Analyser() : state_(std::make_unique<State>()) {}
Analyser::~Analyser() = default;

Result Analyser::analyse(const Inputs &inputs, const SearchModel &model,
                         const RunControl &control) {
  return run_analysis(state_->cache, inputs, model, control);
}

Result analyse(const Inputs &inputs, const SearchModel &model, const RunControl &control) {
  Analyser analyser;
  return analyser.analyse(inputs, model, control);
}

}  // namespace motifsig
