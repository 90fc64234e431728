// A whole run on small inputs. The input is the sequence file, the motif file and the site file
// joined by the separator "\n===\n" (a missing part is an empty file). Inputs the three readers
// accept then go through motifsig::analyse and motifsig::write, which must not fail (but for an
// empty sequence set with sites, which fails on purpose and is skipped), and the output file
// written must read back as a motif file with the same alphabet and motif widths.
//
// Size caps: inputs over 4 KB are skipped, and so are inputs whose statistics would be slow:
// building the column distribution of one site count costs about alength * nsites^2 steps of
// up to a few hundred grid points; the cap keeps one run under about half a second.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "motifsig/motifsig.h"
#include "records/records.h"

namespace {

constexpr size_t kMaxInput = 4096;
constexpr int64_t kMaxDistrWork = 1 << 16;  // sum of alength * nsites^2 over the site counts
constexpr char kSeparator[] = "\n===\n";
constexpr size_t kSeparatorLength = sizeof kSeparator - 1;

struct Part {
  const uint8_t *data;
  size_t size;
};

// Splits off the bytes before the next separator (all that is left when there is none).
Part next_part(const uint8_t *&data, size_t &size) {
  const void *found = memmem(data, size, kSeparator, kSeparatorLength);
  Part part{data, found ? static_cast<size_t>(static_cast<const uint8_t *>(found) - data) : size};
  const size_t used = found ? part.size + kSeparatorLength : size;
  data += used;
  size -= used;
  return part;
}

// What the output file must give back when it is read as a motif file.
struct Shape {
  std::string alphabet;
  std::vector<int> widths;
  bool rescaled = false;  // some motif has a column and 2 or more sites: the background sums to 1
};

Shape shape_of(const Dataset &dataset, const std::vector<Model> &models) {
  Shape shape{std::string(dataset.alphabet, static_cast<size_t>(dataset.alength)), {}};
  for (const Model &model : models) {
    shape.widths.push_back(model.w);
    shape.rescaled = shape.rescaled || (model.w > 0 && model.nsites >= 2);
  }
  return shape;
}

// An empty sequence set with sites fails at the length cache, with its allocation message, on
// purpose.
bool stops_on_purpose(const Dataset &dataset, const std::vector<Model> &models) {
  if (dataset.nseqs > 0) return false;
  for (const Model &model : models)
    if (model.nsites > 0) return true;
  return false;
}

// What the readers accept is self-consistent: an alphabet, and every motif within the width
// limit with all its rows of finite, non-negative probabilities.
void check_accepted(const Dataset &dataset, const std::vector<Model> &models) {
  if (dataset.alphabet == nullptr || dataset.background == nullptr || dataset.alength < 1)
    harness_fault("accepted a motif file without an alphabet");
  for (int j = 0; j < dataset.alength; ++j)
    if (!(dataset.background[j] >= 0 && std::isfinite(dataset.background[j])))
      harness_fault("accepted background frequency %g", dataset.background[j]);
  for (const Model &model : models) {
    if (model.w < 0 || model.w > MAX_MOTIF_WIDTH || model.matrix == nullptr || model.nsites < 0)
      harness_fault("accepted a motif of width %d with %d sites", model.w, model.nsites);
    for (int i = 0; i < model.w; ++i)
      for (int j = 0; j < dataset.alength; ++j)
        if (!(model.matrix[i][j] >= 0 && std::isfinite(model.matrix[i][j])))
          harness_fault("accepted probability %g", model.matrix[i][j]);
  }
}

// True when every column distribution the run would build is cheap enough.
bool statistics_are_small(const Dataset &dataset, const std::vector<Model> &models) {
  if (dataset.alength < 2) return true;
  std::vector<int> counts;
  int64_t work = 0;
  for (const Model &model : models) {
    if (model.w == 0 || model.nsites < 2) continue;
    bool seen = false;
    for (int n : counts) seen = seen || n == model.nsites;
    if (seen) continue;
    counts.push_back(model.nsites);
    work += int64_t{dataset.alength} * model.nsites * model.nsites;
    if (work > kMaxDistrWork) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kMaxInput) return -1;
  const Part seqs = next_part(data, size);
  const Part motifs = next_part(data, size);
  const Part sites = next_part(data, size);
  const std::string seqs_path = write_scratch("sequences", seqs.data, seqs.size);
  const std::string motifs_path = write_scratch("motifs", motifs.data, motifs.size);
  const std::string sites_path = write_scratch("sites", sites.data, sites.size);
  const std::string output_path = scratch().path("output");

  // The readers first, to tell the inputs they accept.
  Shape expected;
  {
    Records records;
    Dataset &dataset = records.dataset;
    std::vector<Model> &models = records.models;
    Warnings warnings;
    try {
      read_seqs(seqs_path.c_str(), dataset, warnings);
      readmodel(motifs_path.c_str(), models, dataset);
      read_m_seqs(sites_path.c_str(), models);
    } catch (const motifsig::Error &) {
      return 0;
    }
    check_accepted(dataset, models);
    if (!statistics_are_small(dataset, models)) return -1;
    if (stops_on_purpose(dataset, models)) return 0;
    expected = shape_of(dataset, models);
  }

  try {
    motifsig::Inputs inputs;
    inputs.sequences_path = seqs_path;
    inputs.motifs_path = motifs_path;
    inputs.sites_path = sites_path;
    motifsig::Outputs outputs;
    outputs.motif_file = output_path;
    motifsig::write(motifsig::analyse(inputs), outputs);
  } catch (const motifsig::Error &error) {
    harness_fault("the run failed with status %d after its readers had accepted the input: %s",
                  error.exit_status(), error.what());
  }
  const std::vector<std::string> kFiles = {"motifs", "output", "sequences", "sites"};
  if (scratch().files() != kFiles) harness_fault("the run left a file beside its output");

  Records written;
  Dataset &dataset = written.dataset;
  std::vector<Model> &models = written.models;
  try {
    readmodel(output_path.c_str(), models, dataset);
  } catch (const motifsig::Error &) {
    harness_fault("the output file does not read back as a motif file");
  }
  const Shape got = shape_of(dataset, models);
  if (got.alphabet != expected.alphabet)
    harness_fault("the output alphabet has %zu letters, the input's %zu", got.alphabet.size(),
                  expected.alphabet.size());
  if (got.widths != expected.widths)
    harness_fault("the output has %zu motifs, the input %zu (or their widths differ)",
                  got.widths.size(), expected.widths.size());
  double sum = 0;
  for (int j = 0; j < dataset.alength; ++j) sum += dataset.background[j];
  // Six significant digits per written frequency.
  if (expected.rescaled && !(std::fabs(sum - 1) <= 1e-5))
    harness_fault("the written background sums to %.9g, not 1", sum);
  return 0;
}
