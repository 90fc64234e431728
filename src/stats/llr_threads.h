// Threads for the column LLR distributions: how many a run uses, and running work on them that
// carries on with fewer when the system refuses one.
#pragma once

// `requested` when positive; otherwise OMP_NUM_THREADS when it starts with a positive number;
// otherwise the number of processors this process may run on.
int resolve_thread_count(int requested);

// Runs fn(arg) on the calling thread and on up to threads - 1 new ones, and returns once every
// one has returned. A thread the system refuses (address space or process limits) is left
// out, so `fn` must take its work from a shared counter, never assume a number of helpers.
// Returns how many ran. An exception of any of them is thrown again once all have returned.
int run_on_threads(int threads, void (*fn)(void *), void *arg);

template <typename F>
int run_on_threads(int threads, F &fn) {
  return run_on_threads(
      threads, [](void *f) { (*static_cast<F *>(f))(); }, &fn);
}
