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

double column_rel_entropy(const double *row, const std::vector<double> &background) {
  double sum = 0;
  for (size_t j = 0; j < background.size(); ++j) {
    const double p = row[j], q = background[j];
    if (p != 0 && q != 0) sum += std::log(p / q + LOG_GUARD) * p;
  }
  return sum;
}

void calc_entropy(Model *model, Dataset *dataset, StatsCache &cache) {
  const ColumnPvalue lattice = [&](int, double x, double n, int alength) {
    return get_llr_pv(cache, x, n, 1, kDesiredRange, kFrac, alength, dataset->background);
  };
  calc_entropy(model, *dataset, cache, normalised_background(dataset->alength, dataset->background),
               lattice);
}

void calc_entropy(Model *model, const Dataset &dataset, StatsCache &cache,
                  const std::vector<double> &background, const ColumnPvalue &pvalue) {
  const int A = dataset.alength;
  const double N = model->nsites;
  const double Hmax = std::log(A + LOG_GUARD) / LN_2;
  init_log();
  init_exp();
  double Slogp = 0, Spp = 0, Spq = 0, IC = 0;
  model->llr = 0;
  for (int i = 0; i < model->w; ++i) {
    model->col_rel_entropy[i] = column_rel_entropy(model->matrix[i], background);
    double H = 0;
    for (int j = 0; j < A; ++j) {
      const double p = model->matrix[i][j];
      const double q = background[size_t(j)];
      const double a = p != 0 ? std::log(p + LOG_GUARD) / LN_2 * p : 0;
      const double b = q != 0 ? std::log(q + LOG_GUARD) / LN_2 * p : 0;
      Spq += b;
      Spp += a;
      H -= a;
    }
    const double x = round_sig_digits(N * model->col_rel_entropy[i]);
    model->llr += x;
    const double log_pvalue = pvalue(i, x, N, A);
    Slogp += log_pvalue;
    model->col_llr[i] = x;
    model->col_log_pvalue[i] = log_pvalue;
    model->col_rel_entropy[i] /= LN_2;
    IC += Hmax - H;
  }
  model->log_evalue = get_log_sig(cache, -Slogp, model->mtype, model->w, model->nsites,
                                  model->both_strands, model->palindrome, dataset);
  model->mean_rel_entropy = (Spp - Spq) / model->w;
  model->info_content = round_sig_digits(IC);
}

namespace {
// The accurate method: every column's LLR is known from the matrix and the background alone,
// so the requests are gathered first and computed side by side; the motifs are then computed
// once with the answers in place.
void calc_evalues_accurate(std::vector<Model> &models, const Dataset &dataset, StatsCache &cache,
                           const EvalueRun &run) {
  const std::vector<double> scoring = normalised_background(dataset.alength, dataset.background);
  std::vector<ColumnRequest> requests;
  std::vector<UncheckedColumn> where;  // the motif and column of each request
  std::vector<std::vector<size_t>> request_of(models.size());  // [motif][column]
  for (size_t k = 0; k < models.size(); ++k) {
    const Model &model = models[k];
    if (model.nsites <= 1 || dataset.alength < 2) continue;
    for (int i = 0; i < model.w; ++i) {
      const double x =
          round_sig_digits(model.nsites * column_rel_entropy(model.matrix[i], scoring));
      request_of[k].push_back(requests.size());
      requests.push_back({model.nsites, scoring, x});
      where.push_back({k, i});
    }
  }
  const std::vector<ColumnAnswer> answers =
      answer_column_requests(requests, resolve_thread_count(run.threads));
  for (size_t r = 0; r < answers.size(); ++r)
    if (run.unchecked != nullptr && !answers[r].checked) run.unchecked->push_back(where[r]);
  for (size_t k = 0; k < models.size(); ++k) {
    if (run.progress) run.progress("calculating evalue for motif " + std::to_string(k + 1));
    const ColumnPvalue answer = [&](int column, double, double, int) {
      return request_of[k].empty() ? 0.0 : answers[request_of[k][size_t(column)]].log_p;
    };
    calc_entropy(&models[k], dataset, cache, scoring, answer);
  }
}
}  // namespace

void my_calc_evalue(std::vector<Model> &models, const Dataset &dataset, StatsCache &cache,
                    const EvalueRun &run) {
  init_log();
  init_exp();
  std::vector<int> site_counts;  // the counts the lattice asks for, in order (0: nothing)
  for (const Model &model : models) site_counts.push_back(model.w > 0 ? model.nsites : 0);
  if (run.method == motifsig::PvalueMethod::accurate) {
    calc_evalues_accurate(models, dataset, cache, run);
    if (run.lattice_background != nullptr)
      *run.lattice_background =
          background_as_lattice_leaves_it(dataset.alength, dataset.background, site_counts);
    return;
  }
  // The column p-values need one distribution per distinct site count, the costly part of a
  // run; they are built side by side first, each giving the bits the serial order would.
  {
    LlrProgress progress;
    ProgressLine line(progress, run.status);
    prepare_llr_distrs(cache, site_counts, kDesiredRange, kFrac, dataset.alength,
                       dataset.background, resolve_thread_count(run.threads), &progress);
  }
  // Every column is scored against the background normalised once, whichever column comes
  // first. The lattice rescales the background it is given as it builds: it is given a copy,
  // handed back for the motif file.
  std::vector<double> lattice_background(dataset.background,
                                         dataset.background + std::max(dataset.alength, 0));
  const std::vector<double> scoring = normalised_background(dataset.alength, dataset.background);
  const ColumnPvalue lattice = [&](int, double x, double n, int alength) {
    return get_llr_pv(cache, x, n, 1, kDesiredRange, kFrac, alength, lattice_background.data());
  };
  for (size_t k = 0; k < models.size(); ++k) {
    if (run.progress) run.progress("calculating evalue for motif " + std::to_string(k + 1));
    calc_entropy(&models[k], dataset, cache, scoring, lattice);
  }
  if (run.lattice_background != nullptr) *run.lattice_background = lattice_background;
}
