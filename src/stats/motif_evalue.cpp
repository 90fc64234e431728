#include "stats/motif_evalue.h"

#include <algorithm>
#include <cmath>

#include "stats/accurate_pvalues.h"
#include "stats/alignment_count.h"
#include "stats/llr_progress.h"
#include "stats/llr_pvalue.h"
#include "stats/llr_threads.h"
#include "stats/log_constants.h"
#include "stats/log_tables.h"

namespace {
constexpr int kDesiredRange = 200;
constexpr double kFrac = 1.0;
}  // namespace

double round_sig_digits(double x) {
  if (x > 0) {
    const double f = std::pow(10.0, std::ceil(13 - std::log10(x)));
    return std::rint(f * x) / f;
  }
  if (x < 0) {
    const double f = std::pow(10.0, std::ceil(13 - std::log10(-x)));
    return std::rint(x * f) / f;
  }
  return 0;
}

void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache, const ColumnPvalue *pvalue) {
  calc_entropy(model, dataset, cache, normalised_background(dataset->alength, dataset->background),
               pvalue);
}

void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache,
                  const std::vector<double> &background, const ColumnPvalue *pvalue) {
  const int A = dataset->alength;
  const double N = model->nsites;
  const double Hmax = std::log(A + LOG_GUARD) / LN_2;
  init_log();
  init_exp();
  double Slogp = 0, Spp = 0, Spq = 0, IC = 0;
  model->llr = 0;
  for (int i = 0; i < model->w; ++i) {
    model->col_rel_entropy[i] = 0;
    double H = 0;
    for (int j = 0; j < A; ++j) {
      const double p = model->matrix[i][j];
      const double q = background[size_t(j)];
      const double a = p != 0 ? std::log(p + LOG_GUARD) / LN_2 * p : 0;
      const double b = q != 0 ? std::log(q + LOG_GUARD) / LN_2 * p : 0;
      Spq += b;
      Spp += a;
      H -= a;
      if (p != 0 && q != 0) model->col_rel_entropy[i] += std::log(p / q + LOG_GUARD) * p;
    }
    const double x = round_sig_digits(N * model->col_rel_entropy[i]);
    model->llr += x;
    const double log_pvalue = pvalue != nullptr ? (*pvalue)(x, N, A, dataset->background)
                                                : get_llr_pv(cache, x, N, 1, kDesiredRange, kFrac,
                                                             A, dataset->background);
    Slogp += log_pvalue;
    model->col_llr[i] = x;
    model->col_log_pvalue[i] = log_pvalue;
    model->col_rel_entropy[i] /= LN_2;
    IC += Hmax - H;
  }
  model->log_evalue = get_log_sig(cache, -Slogp, model->mtype, model->w, model->nsites,
                                  model->both_strands, model->palindrome, *dataset);
  model->mean_rel_entropy = (Spp - Spq) / model->w;
  model->info_content = round_sig_digits(IC);
}

namespace {
// The accurate method runs the motifs twice: once to collect each column's request (the
// background rescaled exactly as the lattice would), then, after the tails are computed side
// by side, again from the original background with the answers in place.
void calc_evalues_accurate(std::vector<Model> &models, Dataset &dataset, StatsCache &cache,
                           const EvalueRun &run) {
  const std::vector<double> original(dataset.background, dataset.background + dataset.alength);
  const std::vector<double> scoring = normalised_background(dataset.alength, dataset.background);
  std::vector<ColumnRequest> requests;
  std::vector<UncheckedColumn> columns;  // the motif and column of each request
  UncheckedColumn at{0, 0};
  const ColumnPvalue collect = [&](double x, double n, int alength, double *background) {
    rescale_as_get_llr_pv(cache, n, 1, alength, background);
    if (n > 1 && alength >= 2) {
      requests.push_back({static_cast<int>(n), scoring, x});
      columns.push_back(at);
    }
    ++at.column;
    return 0.0;
  };
  for (Model &model : models) {
    calc_entropy(&model, &dataset, cache, scoring, &collect);
    ++at.motif;
    at.column = 0;
  }
  const std::vector<ColumnAnswer> answers =
      answer_column_requests(requests, resolve_thread_count(run.threads));
  for (size_t i = 0; i < answers.size(); ++i)
    if (run.unchecked != nullptr && !answers[i].checked) run.unchecked->push_back(columns[i]);
  std::copy(original.begin(), original.end(), dataset.background);
  freestuff(cache);
  size_t next = 0;
  const ColumnPvalue replay = [&](double, double n, int alength, double *background) {
    rescale_as_get_llr_pv(cache, n, 1, alength, background);
    return n > 1 && alength >= 2 ? answers[next++].log_p : 0.0;
  };
  for (size_t k = 0; k < models.size(); ++k) {
    if (run.progress) run.progress("calculating evalue for motif " + std::to_string(k + 1));
    calc_entropy(&models[k], &dataset, cache, scoring, &replay);
  }
}
}  // namespace

void my_calc_evalue(std::vector<Model> &models, Dataset &dataset, StatsCache &cache,
                    const EvalueRun &run) {
  if (run.method == PvalueMethod::accurate) {
    init_log();
    init_exp();
    calc_evalues_accurate(models, dataset, cache, run);
    return;
  }
  // The column p-values need one distribution per distinct site count, the costly part of a
  // run; they are built side by side first, each giving the bits the serial order would.
  init_log();
  init_exp();
  std::vector<int> site_counts;
  for (const Model &model : models) site_counts.push_back(model.w > 0 ? model.nsites : 0);
  {
    LlrProgress progress;
    ProgressLine line(progress, run.status);
    prepare_llr_distrs(cache, site_counts, kDesiredRange, kFrac, dataset.alength,
                       dataset.background, resolve_thread_count(run.threads), &progress);
  }
  // Every column is scored against the background normalised once, whichever column comes
  // first; the lattice still rescales the run's background in place as it builds.
  const std::vector<double> scoring = normalised_background(dataset.alength, dataset.background);
  for (size_t k = 0; k < models.size(); ++k) {
    if (run.progress) run.progress("calculating evalue for motif " + std::to_string(k + 1));
    calc_entropy(&models[k], &dataset, cache, scoring);
  }
}
