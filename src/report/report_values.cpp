#include "report/report_values.h"

#include <cmath>
#include <cstdlib>

#include "stats/log_constants.h"
#include "stats/tail_settings.h"

using motifsig::PvalueMethod;

const char *pvalue_method_name(PvalueMethod method) {
  return method == PvalueMethod::accurate ? "accurate" : "lattice";
}

std::string pvalue_method_description(PvalueMethod method) {
  return method == PvalueMethod::accurate
             ? std::string("Accurate (--pvalues accurate): every column's p-value is computed ") +
                   kAccurateWithin +
                   ", so a motif with many sites usually gets a smaller, more significant "
                   "E-value than the default lattice gives it."
             : "Lattice, the default: each column's LLR is rounded to a grid of 200 steps, as "
               "stored motif files were computed, which overstates the p-values (and the "
               "E-values) of motifs with more than a few dozen sites.";
}

const char *site_model_name(motifsig::SiteModel sites) {
  return sites == motifsig::SiteModel::anywhere ? "anywhere" : "per-sequence";
}

std::string background_source(const motifsig::RunDescription &run) {
  if (run.background_given) return "given";
  return run.background_file.empty() ? "motif file" : run.background_file;
}

double motif_rel_entropy(const motifsig::MotifResult &motif) {
  double sum = 0;
  for (const motifsig::ColumnResult &column : motif.columns) sum += column.rel_entropy;
  return sum;
}

double column_log10_pvalue(const motifsig::ColumnResult &column) {
  const double value = column.log_pvalue / LN_10;
  return value > 0 ? 0 : value;
}

bool is_significant(const motifsig::MotifResult &motif) {
  return motif.log_evalue < std::log(kSignificantEvalue);
}

std::string run_date(std::time_t started) {
  std::time_t when = started;
  if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char *end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == '\0' && seconds >= 0) when = static_cast<std::time_t>(seconds);
  }
  std::tm utc{};
  char text[32] = "";
  if (gmtime_r(&when, &utc) != nullptr)
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string logo_file_name(size_t number, const std::string &id) {
  const std::string plain = "motif-" + std::to_string(number);
  const bool safe = !id.empty() && id.size() <= 64 && id[0] != '.' && id[0] != '-' &&
                    id.find_first_not_of(
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                        "0123456789._+-") == std::string::npos;
  return safe && id != std::to_string(number) ? plain + "-" + id + ".svg" : plain + ".svg";
}
