// Stopping an analysis early: RunControl::cancel, set from another thread, is seen by the
// analysis's own thread and by every thread that shares its work, and long loops poll it.
#pragma once

#include <atomic>

// While it lives, `flag` (nullptr: none) is the cancellation flag of this thread's work.
class CancelScope {
 public:
  explicit CancelScope(const std::atomic<bool> *flag);
  ~CancelScope();
  CancelScope(const CancelScope &) = delete;
  CancelScope &operator=(const CancelScope &) = delete;

 private:
  const std::atomic<bool> *previous_;
};

// The flag of this thread's work, for the threads it hands work to; nullptr: none.
const std::atomic<bool> *cancel_flag();

// True once this thread's flag is set: one load, cheap enough for every row of a kernel.
bool cancel_requested();

// Throws motifsig::Cancelled once this thread's flag is set.
void throw_if_cancelled();
