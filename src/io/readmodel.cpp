#include "io/readmodel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "io/line_reader.h"
#include "io/tokens.h"
#include "process/diagnostics.h"

namespace {

// The id and alt name of the last "MOTIF id [alt]" line, for the matrix that follows it.
struct MotifName {
  std::string id;
  std::string alt;
};

// Remembers the name a "MOTIF" line gives; any other line leaves `name` as it is.
void note_motif_name(std::string_view line, MotifName &name) {
  std::string_view rest = line, token;
  if (!next_token(rest, token) || token != "MOTIF") return;
  name = MotifName();
  if (next_token(rest, token)) name.id = std::string(token);
  if (next_token(rest, token)) name.alt = std::string(token);
}

// The next line of a block, which the file must still have.
std::string_view block_line(LineReader &lines, const char *block) {
  std::string_view line;
  if (!lines.next(line))
    file_error(lines.path(), lines.line_number(), "the file ends inside %s", block);
  return line;
}

// A frequency or probability: a whole-token number that is finite and not negative.
double read_probability(LineReader &lines, std::string_view token, const char *what) {
  double value;
  if (!parse_double(token, value) || !std::isfinite(value))
    file_error(lines.path(), lines.line_number(), "%s '%s' is not a number", what,
               printable(token).c_str());
  if (value < 0)
    file_error(lines.path(), lines.line_number(), "%s '%s' is negative", what,
               printable(token).c_str());
  return value;
}

void read_alphabet_block(LineReader &lines, std::string_view alphabet_line, Dataset &dataset) {
  const long line_no = lines.line_number();
  std::string_view rest = alphabet_line, token, letters_token;
  if (!next_token(rest, token) || !next_token(rest, letters_token))
    file_error(lines.path(), line_no,
               "the alphabet line has no letters (expected \"ALPHABET= ACGT\")");
  const std::string letters(letters_token);  // the line's text does not outlive the next read
  if (letters.size() > size_t{1} << 20)
    file_error(lines.path(), line_no, "the alphabet has too many letters");
  const int32_t alength = static_cast<int32_t>(letters.size());
  if (dataset.alphabet != nullptr && alength != dataset.alength)
    file_error(lines.path(), line_no,
               "this alphabet has %d letters but the first alphabet in the file has %d", alength,
               dataset.alength);

  block_line(lines, "the alphabet block (the background lines are missing)");
  rest = block_line(lines, "the alphabet block (the background line is missing)");
  std::vector<double> background(alength);
  for (int32_t k = 0; k < alength; ++k) {
    std::string_view letter, frequency;
    if (!next_token(rest, letter) || !next_token(rest, frequency))
      file_error(lines.path(), lines.line_number(),
                 "the background line gives %d of the %d letter frequencies", k, alength);
    background[k] = read_probability(lines, frequency, "background frequency");
  }
  const std::string fault = background_sum_fault(background.data(), alength);
  if (!fault.empty()) file_error(lines.path(), lines.line_number(), "%s", fault.c_str());

  // A later alphabet of the same size replaces the earlier one.
  delete[] dataset.alphabet;
  delete[] dataset.background;
  dataset.alength = alength;
  dataset.alphabet = new char[alength + 1];
  letters.copy(dataset.alphabet, letters.size());
  dataset.alphabet[alength] = '\0';
  dataset.background = new double[alength];
  std::copy(background.begin(), background.end(), dataset.background);
}

// A row must be a probability distribution; a count matrix or percentages pasted in give
// E-values that are wildly wrong. Written probabilities are rounded, so a row may be off by half
// a unit of the second decimal per letter (at least 0.01, at most 0.1): DNA rows within 0.02,
// protein rows within 0.1 of 1.
double row_sum_tolerance(int32_t alength) { return std::min(0.1, std::max(0.01, 0.005 * alength)); }

}  // namespace

std::string row_sum_fault(const double *values, int32_t alength, int motif, int32_t row,
                          const std::string &id) {
  double sum = 0;
  for (int32_t j = 0; j < alength; ++j) sum += values[j];
  if (std::fabs(sum - 1) <= row_sum_tolerance(alength) + 1e-9) return "";  // 0.3 + 0.72 > 1.02
  const std::string named = id.empty() ? std::string() : " ('" + printable(id) + "')";
  char sum_text[32];
  std::snprintf(sum_text, sizeof sum_text, "%g", sum);
  return "row " + std::to_string(row) + " of motif " + std::to_string(motif) + named + " sums to " +
         sum_text +
         ", not 1: the rows must be letter probabilities, not counts or percentages (divide "
         "each value by its row's sum)";
}

std::string background_sum_fault(const double *values, int32_t alength) {
  double sum = 0;
  for (int32_t j = 0; j < alength; ++j) sum += values[j];
  if (sum == 0)
    return "the background frequencies are all 0: at least one letter needs a frequency above 0";
  if (!std::isfinite(sum))
    return "the background frequencies add up to more than the largest number, so they cannot "
           "be rescaled to sum 1: give frequencies (or smaller counts)";
  return "";
}

namespace {

void read_matrix_block(LineReader &lines, std::string_view matrix_line, std::vector<Model> &models,
                       const Dataset &dataset, MotifName &name) {
  const long line_no = lines.line_number();
  const int motif = static_cast<int>(models.size()) + 1;
  if (dataset.alphabet == nullptr)
    file_error(lines.path(), line_no, "motif %d comes before any ALPHABET line", motif);
  std::string_view rest = matrix_line, token;
  for (int i = 0; i < 5; ++i) next_token(rest, token);
  int32_t w;
  if (!next_token(rest, token))
    file_error(lines.path(), line_no,
               "the matrix line of motif %d gives no width (expected \"w= 8\")", motif);
  if (!parse_int(token, w) || w < 0)
    file_error(lines.path(), line_no,
               "the width of motif %d, '%s', is not a whole number of columns", motif,
               printable(token).c_str());
  if (w > MAX_MOTIF_WIDTH)
    file_error(lines.path(), line_no, "motif %d is %d columns wide; the limit is %d", motif, w,
               MAX_MOTIF_WIDTH);

  // Appended before its rows are read, so the end-of-run release also covers a failed read.
  Model model;
  model.mtype = PerSequenceB;
  model.w = w;
  model.matrix = new double *[w]();
  model.id = std::move(name.id);
  model.alt = std::move(name.alt);
  name = MotifName();
  models.push_back(model);
  const int32_t alength = dataset.alength;
  for (int32_t i = 0; i < w; ++i) {
    std::string_view row = block_line(lines, "a matrix (rows are missing)");
    double *values = new double[alength];
    model.matrix[i] = values;
    rest = row;
    for (int32_t j = 0; j < alength; ++j) {
      if (!next_token(rest, token))
        file_error(lines.path(), lines.line_number(),
                   "matrix row %d of motif %d has %d of the %d probabilities", i + 1, motif, j,
                   alength);
      values[j] = read_probability(lines, token, "probability");
    }
    const std::string fault = row_sum_fault(values, alength, motif, i + 1, model.id);
    if (!fault.empty()) file_error(lines.path(), lines.line_number(), "%s", fault.c_str());
  }
}

}  // namespace

void readmodel(const char *path, std::vector<Model> &models, Dataset &dataset) {
  LineReader lines(path);
  std::string_view line;
  MotifName name;
  while (lines.next(line)) {
    if (line.empty()) continue;
    if (line.find("ALPHABET") != std::string_view::npos)
      read_alphabet_block(lines, line, dataset);
    else if (line.find("letter-probability matrix") != std::string_view::npos)
      read_matrix_block(lines, line, models, dataset, name);
    else
      note_motif_name(line, name);
  }
  if (dataset.alphabet == nullptr)
    file_error(path, 0, "no ALPHABET line: the file gives no alphabet");
}
