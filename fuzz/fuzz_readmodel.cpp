// The motif file reader on arbitrary bytes. What it accepts must be self-consistent: an
// alphabet of alength letters and every motif within the width limit with all its rows.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "driver/run.h"
#include "harness.h"
#include "io/readmodel.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string path = write_scratch("motifs", data, size);
  Dataset dataset;
  std::vector<Model> models;
  ThrowingStops stops;
  try {
    readmodel(path.c_str(), models, dataset);
  } catch (const HarnessStop &) {
    release_records(dataset, models);
    return 0;
  }
  if (dataset.alphabet == nullptr || dataset.background == nullptr || dataset.alength < 1)
    harness_fault("accepted a motif file without an alphabet");
  for (const Model &model : models) {
    if (model.w < 0 || model.w > MAX_MOTIF_WIDTH || model.matrix == nullptr)
      harness_fault("accepted a motif of width %d", model.w);
    for (int i = 0; i < model.w; ++i)
      for (int j = 0; j < dataset.alength; ++j)
        if (!(model.matrix[i][j] >= 0 && std::isfinite(model.matrix[i][j])))
          harness_fault("accepted probability %g", model.matrix[i][j]);
  }
  for (int j = 0; j < dataset.alength; ++j)
    if (!(dataset.background[j] >= 0 && std::isfinite(dataset.background[j])))
      harness_fault("accepted background frequency %g", dataset.background[j]);
  release_records(dataset, models);
  return 0;
}
