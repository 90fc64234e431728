#include "stats/llr_progress.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

struct ProgressLine::State {
  const LlrProgress &progress;
  const StatusFn &status;
  std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  bool shown = false;
  pthread_t thread;
};

namespace {

void *draw(void *arg) {
  ProgressLine::State &s = *static_cast<ProgressLine::State *>(arg);
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.wake.wait_for(lock, std::chrono::seconds(2), [&] { return s.stop; })) return nullptr;
  do {
    const long total = s.progress.total.load(), done = s.progress.done.load();
    const int percent = total > 0 ? static_cast<int>(100.0 * done / total) : 0;
    const int motifs = s.progress.motifs;
    int current = s.progress.motifs_ready.load() + 1;
    if (current > motifs) current = motifs;
    try {
      s.status("motif " + std::to_string(current) + " of " + std::to_string(motifs) + ", " +
               std::to_string(percent > 100 ? 100 : percent) + "%");
      s.shown = true;
    } catch (...) {
      return nullptr;  // a status that fails is no reason to fail the run
    }
  } while (!s.wake.wait_for(lock, std::chrono::milliseconds(250), [&] { return s.stop; }));
  return nullptr;
}

}  // namespace

ProgressLine::ProgressLine(const LlrProgress &progress, const StatusFn &status) {
  if (!status) return;
  state_ = new State{progress, status, {}, {}, false, false, {}};
  if (pthread_create(&state_->thread, nullptr, draw, state_) != 0) {
    delete state_;  // no line rather than no run
    state_ = nullptr;
  }
}

ProgressLine::~ProgressLine() {
  if (state_ == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stop = true;
  }
  state_->wake.notify_one();
  pthread_join(state_->thread, nullptr);
  if (state_->shown) try {
      state_->status("");
    } catch (...) {
    }
  delete state_;
}
