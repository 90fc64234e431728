// Records built in memory for the tests: an alphabet with its background, sequence lengths and
// motifs. The records and the length cache of the statistics are released at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/records.h"

struct TestRecords {
  Dataset dataset;
  std::vector<Model> models;

  // One background frequency per letter; an empty `letters` leaves the alphabet for a reader.
  explicit TestRecords(const std::string &letters = "", std::vector<double> background = {},
                       const std::vector<int64_t> &lengths = {});
  ~TestRecords();
  TestRecords(const TestRecords &) = delete;
  TestRecords &operator=(const TestRecords &) = delete;

  // Adds a motif with one row of letter probabilities per column.
  Model &add(const std::vector<std::vector<double>> &rows, int nsites = 0);
};
