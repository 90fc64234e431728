#include "io/read_background.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "io/line_reader.h"
#include "io/readmodel.h"
#include "io/tokens.h"
#include "process/diagnostics.h"

void read_background(const char *path, Dataset &dataset) {
  LineReader lines(path);
  const int32_t alength = dataset.alength;
  const std::string_view alphabet(dataset.alphabet, static_cast<size_t>(alength));
  std::vector<double> frequency(static_cast<size_t>(alength), 0.0);
  std::vector<long> given_on(static_cast<size_t>(alength), 0);  // line of each letter, 0 = none
  double sum = 0;
  long sum_fault_line = 0;  // where the running sum overflowed, or the last frequency's line
  std::string_view line;
  while (lines.next(line)) {
    std::string_view rest = line, letter, number, extra;
    if (!next_token(rest, letter) || letter[0] == '#') continue;
    const long at = lines.line_number();
    if (!next_token(rest, number))
      file_error(path, at, "expected a letter and its frequency, as \"A 0.25\"");
    if (next_token(rest, extra))
      file_error(path, at, "expected one letter and one frequency, found more: '%s'",
                 printable(extra).c_str());
    const size_t k = letter.size() == 1 ? alphabet.find(letter[0]) : std::string_view::npos;
    if (k == std::string_view::npos)
      file_error(path, at, "'%s' is not a letter of the alphabet %s", printable(letter).c_str(),
                 printable(alphabet).c_str());
    if (given_on[k] != 0)
      file_error(path, at, "letter '%c' is given twice (first on line %ld)", letter[0],
                 given_on[k]);
    double value;
    if (!parse_double(number, value) || !std::isfinite(value))
      file_error(path, at, "the frequency of '%c', '%s', is not a number", letter[0],
                 printable(number).c_str());
    if (value < 0)
      file_error(path, at, "the frequency of '%c', '%s', is negative", letter[0],
                 printable(number).c_str());
    frequency[k] = value;
    given_on[k] = at;
    if (std::isfinite(sum)) sum_fault_line = at;
    sum += value;
  }
  for (int32_t k = 0; k < alength; ++k)
    if (given_on[k] == 0)
      file_error(path, 0, "no frequency for letter '%s' of the alphabet %s",
                 printable(alphabet.substr(k, 1)).c_str(), printable(alphabet).c_str());
  const std::string fault = background_sum_fault(frequency.data(), alength);
  if (!fault.empty()) file_error(path, sum_fault_line, "%s", fault.c_str());
  for (int32_t k = 0; k < alength; ++k) dataset.background[k] = frequency[k];
}
