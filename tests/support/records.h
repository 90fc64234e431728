// Records built in memory for the tests: an alphabet with its background, sequence lengths and
// motifs, with the statistics' cache and the warnings of their run. All are released at the end.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "process/diagnostics.h"
#include "records/records.h"
#include "stats/stats_cache.h"

struct TestRecords {
  Dataset dataset;
  std::vector<Model> models;
  StatsCache cache;
  Warnings warnings;

  // One background frequency per letter; an empty `letters` leaves the alphabet to a reader.
  explicit TestRecords(const std::string &letters = "", const std::vector<double> &background = {},
                       const std::vector<int64_t> &lengths = {}) {
    models.reserve(16);  // references returned by add() stay valid
    if (!letters.empty()) {
      dataset.alength = static_cast<int32_t>(letters.size());
      dataset.alphabet = new char[letters.size() + 1];
      std::copy(letters.c_str(), letters.c_str() + letters.size() + 1, dataset.alphabet);
      dataset.background = new double[letters.size()];
      std::copy(background.begin(), background.end(), dataset.background);
    }
    dataset.nseqs = static_cast<int32_t>(lengths.size());
    dataset.seqs = lengths.empty() ? nullptr : new SeqRecord *[lengths.size()];
    for (size_t i = 0; i < lengths.size(); ++i) dataset.seqs[i] = new SeqRecord{lengths[i]};
  }
  ~TestRecords() { release_records(dataset, models); }
  TestRecords(const TestRecords &) = delete;
  TestRecords &operator=(const TestRecords &) = delete;

  // Adds a motif with one row of letter probabilities per column.
  Model &add(const std::vector<std::vector<double>> &rows, int nsites = 0) {
    Model &m = models.emplace_back();
    m.w = static_cast<int32_t>(rows.size());
    m.matrix = new double *[rows.size()];
    for (size_t i = 0; i < rows.size(); ++i)
      std::copy(rows[i].begin(), rows[i].end(), m.matrix[i] = new double[rows[i].size()]);
    m.nsites = nsites;
    return m;
  }
};
