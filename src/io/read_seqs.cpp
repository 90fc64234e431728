#include "io/read_seqs.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "io/diagnostics.h"
#include "io/line_reader.h"

void read_seqs(const char *path, Dataset &dataset) {
  LineReader lines(path);
  std::vector<int32_t> lengths;
  int64_t length;
  char first;
  while (lines.next_length(length, first)) {
    if (length == 0 || first == '>') continue;
    if (length > std::numeric_limits<int32_t>::max())
      file_error(path, lines.line_number(), "sequence is longer than %d characters",
                 std::numeric_limits<int32_t>::max());
    if (lengths.size() == static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      file_error(path, lines.line_number(), "more than %d sequences",
                 std::numeric_limits<int32_t>::max());
    lengths.push_back(static_cast<int32_t>(length));
  }
  dataset.nseqs = static_cast<int32_t>(lengths.size());
  dataset.seqs = new SeqRecord *[lengths.size()];
  for (size_t i = 0; i < lengths.size(); ++i) {
    dataset.seqs[i] = new SeqRecord();
    dataset.seqs[i]->length = lengths[i];
  }
}
