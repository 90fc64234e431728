// Progress of the column LLR distributions: counted by the kernels as they go, and shown as
// one line on standard error during long runs.
#pragma once

#include <atomic>

struct LlrProgress {
  std::atomic<long> done{0};         // units of work finished (see llr_work)
  std::atomic<long> total{0};        // units of work planned
  std::atomic<int> motifs_ready{0};  // motifs whose distributions are all built
  int motifs = 0;
};

// While it exists, and only when standard error is a terminal and progress lines are on, a line
// such as "motifsig: motif 3 of 40, 57%" is redrawn on standard error a few times a second, from
// two seconds after it starts; it is erased when it ends. Shorter work never shows it.
class ProgressLine {
 public:
  explicit ProgressLine(const LlrProgress &progress);
  ~ProgressLine();
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;

  struct State;

 private:
  State *state_ = nullptr;  // nullptr: nothing is shown
};
