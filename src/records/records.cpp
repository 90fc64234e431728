#include "records/records.h"

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
