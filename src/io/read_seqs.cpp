#include "io/read_seqs.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "io/diagnostics.h"
#include "io/line_reader.h"
#include "io/tokens.h"

void read_seqs(const char *path, Dataset &dataset) {
  LineReader lines(path);
  std::vector<int32_t> lengths;
  constexpr int32_t kMaxLength = std::numeric_limits<int32_t>::max();
  int64_t length;
  std::string_view head;
  // Every line is a sequence of its own, so a record written over several lines (the usual
  // wrapped FASTA) silently gives wrong E-values: the first such record is named once.
  std::string record;  // start of the last header line
  long record_line = 0;
  int lines_in_record = 0;
  bool warned = false;
  while (lines.next_length(length, head, kMaxLength)) {
    const bool header = !head.empty() && head[0] == '>';
    if (length > kMaxLength)
      file_error(path, lines.line_number(), "%s is longer than %d characters",
                 header ? "header line" : "sequence", kMaxLength);
    if (length == 0) continue;
    if (header) {
      if (!warned) {
        record.assign(head.data(), head.size());  // its name is taken out only for the warning
        record_line = lines.line_number();
        lines_in_record = 0;
      }
      continue;
    }
    if (!warned && record_line > 0 && ++lines_in_record == 2) {
      warned = true;
      std::string_view rest = std::string_view(record).substr(1), name;
      next_token(rest, name);
      file_warning(path, record_line,
                   "record '%s' spans more than one line, and every line counts as one sequence; "
                   "unwrap the file first (the README shows how)",
                   printable(name).c_str());
    }
    if (lengths.size() == static_cast<size_t>(kMaxLength))
      file_error(path, lines.line_number(), "more than %d sequences", kMaxLength);
    lengths.push_back(static_cast<int32_t>(length));
  }
  dataset.nseqs = static_cast<int32_t>(lengths.size());
  dataset.seqs = new SeqRecord *[lengths.size()];
  for (size_t i = 0; i < lengths.size(); ++i) {
    dataset.seqs[i] = new SeqRecord();
    dataset.seqs[i]->length = lengths[i];
  }
}
