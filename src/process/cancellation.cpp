#include "process/cancellation.h"

#include "motifsig/motifsig.h"

namespace {
thread_local const std::atomic<bool> *current = nullptr;
}  // namespace

CancelScope::CancelScope(const std::atomic<bool> *flag) : previous_(current) { current = flag; }
CancelScope::~CancelScope() { current = previous_; }

const std::atomic<bool> *cancel_flag() { return current; }

bool cancel_requested() {
  const std::atomic<bool> *flag = current;
  return flag != nullptr && flag->load(std::memory_order_relaxed);
}

void throw_if_cancelled() {
  if (cancel_requested()) throw motifsig::Cancelled();
}
