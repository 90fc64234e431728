#include "io/read_seqs.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "io/line_reader.h"
#include "io/tokens.h"
#include "process/diagnostics.h"

namespace {

constexpr int32_t kMaxLength = std::numeric_limits<int32_t>::max();

void add_sequence(LineReader &lines, std::vector<int32_t> &lengths, int64_t length) {
  if (lengths.size() == static_cast<size_t>(kMaxLength))
    file_error(lines.path(), lines.line_number(), "more than %d sequences", kMaxLength);
  lengths.push_back(static_cast<int32_t>(length));
}

// Reading every line as a sequence silently gives wrong E-values for a record written over
// several lines (the usual wrapped FASTA) and counts the carriage return of Windows line ends
// as a letter: the first of each is named once, pointing to --fasta.
struct LineWarnings {
  explicit LineWarnings(Warnings &to) : warnings(to) {}

  Warnings &warnings;
  std::string record;  // start of the last header line
  long record_line = 0;
  int lines_in_record = 0;
  bool wrapped = false;
  bool carriage_return = false;

  void header(LineReader &lines, std::string_view head) {
    if (wrapped) return;
    record.assign(head.data(), head.size());  // its name is taken out only for the warning
    record_line = lines.line_number();
    lines_in_record = 0;
  }

  void sequence(LineReader &lines) {
    if (!carriage_return && lines.last_byte() == '\r') {
      carriage_return = true;
      warnings.add(lines.path(), lines.line_number(),
                   "the line ends with a carriage return (Windows line ends), which counts as a "
                   "letter of the sequence; give --fasta, or convert the line ends");
    }
    if (wrapped || record_line == 0 || ++lines_in_record != 2) return;
    wrapped = true;
    std::string_view rest = std::string_view(record).substr(1), name;
    next_token(rest, name);
    warnings.add(lines.path(), record_line,
                 "record '%s' spans more than one line, and every line counts as one sequence; "
                 "give --fasta to join the lines of each record",
                 printable(name).c_str());
  }
};

}  // namespace

void read_seqs(const char *path, Dataset &dataset, Warnings &told, bool fasta) {
  LineReader lines(path);
  std::vector<int32_t> lengths;
  int64_t length;
  std::string_view head;
  LineWarnings warnings(told);
  int64_t record_length = -1;  // of the FASTA record being read; -1 before the first header
  while (lines.next_length(length, head, kMaxLength)) {
    const bool header = !head.empty() && head[0] == '>';
    if (length > kMaxLength)
      file_error(path, lines.line_number(), "%s is longer than %d characters",
                 header ? "header line" : "sequence", kMaxLength);
    if (fasta && !header && lines.last_byte() == '\r') --length;
    if (length == 0) continue;
    if (!fasta) {
      if (header) {
        warnings.header(lines, head);
      } else {
        warnings.sequence(lines);
        add_sequence(lines, lengths, length);
      }
      continue;
    }
    if (header) {
      if (record_length > 0) add_sequence(lines, lengths, record_length);
      record_length = 0;
      continue;
    }
    // Without a header the lines would silently join into one sequence: a file of one sequence
    // per line given --fasta.
    if (record_length < 0)
      file_error(path, lines.line_number(),
                 "sequence line before the first '>' header line; with --fasta every record "
                 "starts with one");
    record_length += length;
    if (record_length > kMaxLength)
      file_error(path, lines.line_number(), "sequence is longer than %d characters", kMaxLength);
  }
  if (record_length > 0) add_sequence(lines, lengths, record_length);
  dataset.nseqs = static_cast<int32_t>(lengths.size());
  dataset.seqs = new SeqRecord *[lengths.size()];
  for (size_t i = 0; i < lengths.size(); ++i) {
    dataset.seqs[i] = new SeqRecord();
    dataset.seqs[i]->length = lengths[i];
  }
}
