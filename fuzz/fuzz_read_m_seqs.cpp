// The site file reader on arbitrary bytes. The first byte gives the number of motifs (0 to 7);
// the rest is the site file. Accepted sites must all have landed on existing motifs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "driver/run.h"
#include "harness.h"
#include "io/read_m_seqs.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return -1;
  const int nmotifs = data[0] % 8;
  const std::string path = write_scratch("sites", data + 1, size - 1);
  Dataset dataset;
  std::vector<Model> models(static_cast<size_t>(nmotifs));
  ThrowingStops stops;
  try {
    read_m_seqs(path.c_str(), models);
  } catch (const HarnessStop &) {
    release_records(dataset, models);
    return 0;
  }
  if (models.size() != static_cast<size_t>(nmotifs)) harness_fault("the number of motifs changed");
  int64_t total = 0;
  for (const Model &model : models) {
    if (model.nsites < 0) harness_fault("a motif has %d sites", model.nsites);
    total += model.nsites;
  }
  // In a plain file a site takes a line of at least one digit after the header line.
  if (size > 1 && data[1] != 0x1f && total > static_cast<int64_t>(size)) harness_fault("%lld sites from %zu bytes", static_cast<long long>(total), size);
  release_records(dataset, models);
  return 0;
}
