#include "library/memory_inputs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "io/readmodel.h"
#include "process/diagnostics.h"

namespace {

constexpr int64_t kMaxInt = std::numeric_limits<int32_t>::max();

// A frequency or probability must be finite and not negative, as the readers require.
void check_value(double value, const char *what, const std::string &where) {
  if (!std::isfinite(value))
    input_error("%s %g %s is not a finite number", what, value, where.c_str());
  if (value < 0) input_error("%s %g %s is negative", what, value, where.c_str());
}

void check_background(const std::vector<double> &background, const Dataset &dataset,
                      const char *what) {
  if (background.size() != static_cast<size_t>(dataset.alength))
    input_error("%s gives %zu of the %d letter frequencies", what, background.size(),
                dataset.alength);
  for (int j = 0; j < dataset.alength; ++j)
    check_value(background[j], "frequency",
                "of letter '" + printable(std::string(1, dataset.alphabet[j])) + "'");
  const std::string fault = background_sum_fault(background.data(), dataset.alength);
  if (!fault.empty()) input_error("%s", fault.c_str());
}

// A name is one field of the TSV report (the motif file's names are tokens, which hold none of
// these bytes).
void check_name(const std::string &name, const char *what, int motif) {
  if (name.find_first_of("\t\r\n") != std::string::npos)
    input_error(
        "the %s of motif %d, '%s', holds a TAB, carriage return or line feed: a name must "
        "fit one field of the TSV report",
        what, motif, printable(name).c_str());
}

}  // namespace

void take_sequence_lengths(const std::vector<int64_t> &lengths, Dataset &dataset) {
  if (lengths.empty()) input_error("no sequences: give at least one");
  if (static_cast<int64_t>(lengths.size()) > kMaxInt)
    input_error("more than %lld sequences", static_cast<long long>(kMaxInt));
  for (size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] < 1)
      input_error("sequence %zu has length %lld; a sequence has at least one letter", i + 1,
                  static_cast<long long>(lengths[i]));
    if (lengths[i] > kMaxInt)
      input_error("sequence %zu is longer than %lld characters", i + 1,
                  static_cast<long long>(kMaxInt));
  }
  dataset.seqs = new SeqRecord *[lengths.size()]();
  for (size_t i = 0; i < lengths.size(); ++i) {
    dataset.seqs[i] = new SeqRecord{lengths[i]};
    dataset.nseqs = static_cast<int32_t>(i + 1);
  }
}

void take_motifs(const motifsig::Inputs &inputs, Records &records) {
  const std::string &letters = inputs.alphabet;
  if (letters.empty()) input_error("the alphabet has no letters");
  if (letters.size() > size_t{1} << 20) input_error("the alphabet has too many letters");
  // The motif file written from the result must read back: its letters are tokens.
  for (size_t j = 0; j < letters.size(); ++j)
    if (std::strchr(" \t\r\n\v\f", letters[j]) != nullptr || letters[j] == '\0')
      input_error("letter %zu of the alphabet is whitespace or NUL, which a motif file cannot hold",
                  j + 1);
  Dataset &dataset = records.dataset;
  const int32_t alength = static_cast<int32_t>(letters.size());
  dataset.alength = alength;
  dataset.alphabet = new char[letters.size() + 1];
  std::copy(letters.begin(), letters.end(), dataset.alphabet);
  dataset.alphabet[alength] = '\0';
  check_background(inputs.background, dataset, "the background");
  dataset.background = new double[alength];
  std::copy(inputs.background.begin(), inputs.background.end(), dataset.background);

  for (size_t k = 0; k < inputs.motifs.size(); ++k) {
    const motifsig::MotifMatrix &given = inputs.motifs[k];
    const int motif = static_cast<int>(k + 1);
    check_name(given.id, "id", motif);
    check_name(given.alt, "alt name", motif);
    if (given.rows.size() > static_cast<size_t>(MAX_MOTIF_WIDTH))
      input_error("motif %d is %zu columns wide; the limit is %d", motif, given.rows.size(),
                  MAX_MOTIF_WIDTH);
    // Appended before its rows are filled, so the records release a matrix left half-made.
    Model &model = records.models.emplace_back();
    model.w = static_cast<int32_t>(given.rows.size());
    model.matrix = new double *[given.rows.size()]();
    model.id = given.id;
    model.alt = given.alt;
    for (size_t i = 0; i < given.rows.size(); ++i) {
      const std::vector<double> &row = given.rows[i];
      if (row.size() != static_cast<size_t>(alength))
        input_error("matrix row %zu of motif %d has %zu probabilities for the %d letters", i + 1,
                    motif, row.size(), alength);
      for (size_t j = 0; j < row.size(); ++j)
        check_value(row[j], "probability",
                    "in row " + std::to_string(i + 1) + " of motif " + std::to_string(motif));
      model.matrix[i] = new double[alength];
      std::copy(row.begin(), row.end(), model.matrix[i]);
      const std::string fault =
          row_sum_fault(model.matrix[i], alength, motif, static_cast<int32_t>(i + 1), model.id);
      if (!fault.empty()) input_error("%s", fault.c_str());
    }
  }
}

void take_background(const std::vector<double> &background, Dataset &dataset) {
  check_background(background, dataset, "the background override");
  std::copy(background.begin(), background.end(), dataset.background);
}

void take_site_counts(const motifsig::Inputs &inputs, std::vector<Model> &models) {
  if (!inputs.site_counts_by_number) {
    take_site_counts(inputs.site_counts, models);
    return;
  }
  if (!inputs.site_counts.empty())
    input_error("site counts given both in the motifs' order and by motif number: give one");
  std::vector<int64_t> counts(models.size(), 0);
  for (const auto &[number, count] : *inputs.site_counts_by_number) {
    if (number < 1 || static_cast<uint64_t>(number) > models.size()) {
      if (models.empty())
        input_error("site of motif %lld, but there are no motifs", static_cast<long long>(number));
      input_error("site of motif %lld, but motifs are numbered 1 to %zu",
                  static_cast<long long>(number), models.size());
    }
    counts[static_cast<size_t>(number - 1)] = count;
  }
  take_site_counts(counts, models);
}

void take_site_counts(const std::vector<int64_t> &counts, std::vector<Model> &models) {
  if (counts.size() != models.size())
    input_error("%zu site counts for %zu motifs: give one per motif", counts.size(), models.size());
  for (size_t k = 0; k < counts.size(); ++k) {
    if (counts[k] < 0)
      input_error("motif %zu has %lld sites; a count cannot be negative", k + 1,
                  static_cast<long long>(counts[k]));
    if (counts[k] > kMaxInt) input_error("motif %zu has too many sites", k + 1);
    models[k].nsites = static_cast<int32_t>(counts[k]);
  }
}
