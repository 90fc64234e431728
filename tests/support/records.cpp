#include "support/records.h"

#include <algorithm>

#include "stats/llr_pvalue.h"

TestRecords::TestRecords(const std::string &letters, std::vector<double> background,
                         const std::vector<int64_t> &lengths) {
  freestuff();
  models.reserve(8);  // references returned by add() stay valid
  if (!letters.empty()) {
    dataset.alength = static_cast<int32_t>(letters.size());
    dataset.alphabet = new char[letters.size() + 1];
    std::copy(letters.c_str(), letters.c_str() + letters.size() + 1, dataset.alphabet);
    dataset.background = new double[letters.size()];
    std::copy(background.begin(), background.end(), dataset.background);
  }
  if (!lengths.empty()) {
    dataset.nseqs = static_cast<int32_t>(lengths.size());
    dataset.seqs = new SeqRecord *[lengths.size()];
    for (size_t i = 0; i < lengths.size(); ++i) dataset.seqs[i] = new SeqRecord{lengths[i]};
  }
}

TestRecords::~TestRecords() {
  freestuff();
  release_records(dataset, models);
}

Model &TestRecords::add(const std::vector<std::vector<double>> &rows, int nsites) {
  Model m;
  m.w = static_cast<int32_t>(rows.size());
  m.matrix = new double *[rows.size()];
  for (size_t i = 0; i < rows.size(); ++i) {
    m.matrix[i] = new double[rows[i].size()];
    std::copy(rows[i].begin(), rows[i].end(), m.matrix[i]);
  }
  m.nsites = nsites;
  models.push_back(m);
  return models.back();
}
