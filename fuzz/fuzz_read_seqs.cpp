// The sequence file reader on arbitrary bytes. A plain (not gzip) input is also split into
// lines here, independently, and the lengths the reader kept must match.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "harness.h"
#include "io/read_seqs.h"
#include "records/records.h"

namespace {

// Lengths of the sequence lines of plain text: every non-empty line not starting with '>',
// after a UTF-8 byte-order mark.
std::vector<int64_t> expected_lengths(const uint8_t *data, size_t size) {
  std::vector<int64_t> lengths;
  size_t start = size >= 3 && data[0] == 0xef && data[1] == 0xbb && data[2] == 0xbf ? 3 : 0;
  while (start < size) {
    size_t stop = start;
    while (stop < size && data[stop] != '\n') ++stop;
    if (stop > start && data[start] != '>') lengths.push_back(static_cast<int64_t>(stop - start));
    start = stop + 1;
  }
  return lengths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string path = write_scratch("sequences", data, size);
  Records records;
  Dataset &dataset = records.dataset;
  Warnings warnings;
  try {
    read_seqs(path.c_str(), dataset, warnings);
  } catch (const motifsig::Error &) {
    return 0;
  }
  // A file that does not start with the two gzip magic bytes is read unchanged.
  if (size < 2 || data[0] != 0x1f || data[1] != 0x8b) {
    const std::vector<int64_t> expected = expected_lengths(data, size);
    if (static_cast<size_t>(dataset.nseqs) != expected.size())
      harness_fault("read %d sequences, the input has %zu", dataset.nseqs, expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      if (dataset.seqs[i]->length != expected[i])
        harness_fault("sequence %zu has length %lld, the input line has %lld", i + 1,
                      static_cast<long long>(dataset.seqs[i]->length),
                      static_cast<long long>(expected[i]));
  }
  return 0;
}
