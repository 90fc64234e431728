#include "driver/run.h"

#include <cstdio>

#include "io/output.h"
#include "io/read_m_seqs.h"
#include "io/read_seqs.h"
#include "io/readmodel.h"
#include "stats/llr_pvalue.h"
#include "stats/motif_evalue.h"

namespace {
void announce(const char *line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}
}  // namespace

void release_records(Dataset &dataset, std::vector<Model> &models) {
  delete[] dataset.background;
  dataset.background = nullptr;
  delete[] dataset.alphabet;
  dataset.alphabet = nullptr;
  if (dataset.seqs != nullptr) {
    for (int i = 0; i < dataset.nseqs; ++i) delete dataset.seqs[i];
    delete[] dataset.seqs;
    dataset.seqs = nullptr;
  }
  for (Model &model : models) {
    if (model.matrix == nullptr) continue;
    for (int i = 0; i < model.w; ++i) delete[] model.matrix[i];
    delete[] model.matrix;
    model.matrix = nullptr;
  }
  models.clear();
}

int run_motifsig(const RunOptions &options) {
  Dataset dataset;
  std::vector<Model> models;
  announce("reading original data file...");
  read_seqs(options.sequences.c_str(), dataset);
  announce("reading models...");
  readmodel(options.motifs.c_str(), models, dataset);
  announce("reading motif sequences...");
  read_m_seqs(options.sites.c_str(), models);
  announce("calculating evalues...");
  my_calc_evalue(models, dataset, options.threads);
  output(options.output.c_str(), models, dataset);
  freestuff();
  release_records(dataset, models);
  return 0;
}
