#include "stats/motif_evalue.h"

#include <cmath>

#include "records/progress.h"
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

void calc_entropy(Model *model, Dataset *dataset) {
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
    // The background is read afresh at every letter: the p-value request below may rescale it.
    for (int j = 0; j < A; ++j) {
      const double p = model->matrix[i][j];
      const double q = dataset->background[j];
      const double a = p != 0 ? std::log(p + LOG_GUARD) / LN_2 * p : 0;
      const double b = q != 0 ? std::log(q + LOG_GUARD) / LN_2 * p : 0;
      Spq += b;
      Spp += a;
      H -= a;
      if (p != 0 && q != 0) model->col_rel_entropy[i] += std::log(p / q + LOG_GUARD) * p;
    }
    const double x = round_sig_digits(N * model->col_rel_entropy[i]);
    model->llr += x;
    const double log_pvalue = get_llr_pv(x, N, 1, kDesiredRange, kFrac, A, dataset->background);
    Slogp += log_pvalue;
    model->col_llr[i] = x;
    model->col_log_pvalue[i] = log_pvalue;
    model->col_rel_entropy[i] /= LN_2;
    IC += Hmax - H;
  }
  model->log_evalue = get_log_sig(-Slogp, model->mtype, model->w, model->nsites,
                                  model->both_strands, model->palindrome, *dataset);
  model->mean_rel_entropy = (Spp - Spq) / model->w;
  model->info_content = round_sig_digits(IC);
}

void my_calc_evalue(std::vector<Model> &models, Dataset &dataset, int threads) {
  // The column p-values need one distribution per distinct site count, the costly part of a
  // run; they are built side by side first, each giving the bits the serial order would.
  init_log();
  init_exp();
  std::vector<int> site_counts;
  for (const Model &model : models) site_counts.push_back(model.w > 0 ? model.nsites : 0);
  {
    LlrProgress progress;
    ProgressLine line(progress);
    prepare_llr_distrs(site_counts, kDesiredRange, kFrac, dataset.alength, dataset.background,
                       resolve_thread_count(threads), &progress);
  }
  for (size_t k = 0; k < models.size(); ++k) {
    progress_line("calculating evalue for motif %zu", k + 1);
    calc_entropy(&models[k], &dataset);
  }
}
