// Progress of the column LLR distributions: counted by the kernels as they go, and told a few
// times a second during long runs.
#pragma once

#include <atomic>
#include <functional>
#include <string>

struct LlrProgress {
  std::atomic<long> done{0};         // units of work finished (see llr_work)
  std::atomic<long> total{0};        // units of work planned
  std::atomic<int> motifs_ready{0};  // motifs whose distributions are all built
  int motifs = 0;
};

// The status of long work, such as "motif 3 of 40, 57%", or "" once the work ends after a
// status was told. Called from a thread of its own.
using StatusFn = std::function<void(const std::string &status)>;

// While it exists, and only when `status` is set, `status` is called with the progress a few
// times a second, from two seconds after it starts, and with "" when it ends. Shorter work never
// tells any.
class ProgressLine {
 public:
  ProgressLine(const LlrProgress &progress, const StatusFn &status);
  ~ProgressLine();
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;

  struct State;

 private:
  State *state_ = nullptr;  // nullptr: nothing is shown
};
