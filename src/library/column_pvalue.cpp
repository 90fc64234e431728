// One column's p-value outside any run: the column is made a one-column motif of sum(counts)
// sites whose letter probabilities are the counts' shares, and goes through the statistics like
// the first motif of a run, so its LLR and p-value are the bits a run gives such a column.
#include <cmath>
#include <limits>
#include <new>

#include "io/readmodel.h"
#include "library/memory_inputs.h"
#include "motifsig/motifsig.h"
#include "process/diagnostics.h"
#include "stats/motif_evalue.h"
#include "stats/tail_settings.h"

namespace motifsig {

const char *accurate_pvalue_promise() { return kAccurateWithin; }

double column_log_pvalue(const std::vector<int64_t> &counts, const std::vector<double> &background,
                         PvalueMethod method) {
  if (background.empty()) input_error("the background has no letters");
  if (counts.size() != background.size())
    input_error("%zu counts for the %zu letters of the background", counts.size(),
                background.size());
  int64_t n = 0;
  for (size_t j = 0; j < counts.size(); ++j) {
    if (counts[j] < 0)
      input_error("the count of letter %zu is %lld; a count cannot be negative", j + 1,
                  static_cast<long long>(counts[j]));
    n += counts[j];
    if (n > std::numeric_limits<int32_t>::max()) input_error("the column has too many sites");
  }
  for (size_t j = 0; j < background.size(); ++j)
    if (!std::isfinite(background[j]) || background[j] < 0)
      input_error("background frequency %g of letter %zu is not a finite, non-negative number",
                  background[j], j + 1);
  const std::string fault =
      background_sum_fault(background.data(), static_cast<int32_t>(background.size()));
  if (!fault.empty()) input_error("%s", fault.c_str());
  if (n == 0) return 0;
  try {
    Records records;
    Dataset &dataset = records.dataset;
    const int32_t alength = static_cast<int32_t>(background.size());
    dataset.alength = alength;
    dataset.alphabet = new char[alength + 1]();
    dataset.background = new double[alength];
    std::copy(background.begin(), background.end(), dataset.background);
    take_sequence_lengths({1}, dataset);  // a placement count is needed; its E-value is unused
    Model &model = records.models.emplace_back();
    model.w = 1;
    model.nsites = static_cast<int32_t>(n);
    model.matrix = new double *[1]();
    model.matrix[0] = new double[alength];
    for (int32_t j = 0; j < alength; ++j)
      model.matrix[0][j] = static_cast<double>(counts[j]) / static_cast<double>(n);
    StatsCache cache;
    EvalueRun run;
    run.method = method;
    my_calc_evalue(records.models, dataset, cache, run);
    return model.col_log_pvalue[0];
  } catch (const std::bad_alloc &) {
    throw Error("out of memory", 1);
  }
}

}  // namespace motifsig
