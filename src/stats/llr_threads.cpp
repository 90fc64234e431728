#include "stats/llr_threads.h"

#include <pthread.h>
#include <sched.h>

#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "process/cancellation.h"

int resolve_thread_count(int requested) {
  if (requested > 0) return requested;
  if (const char *env = std::getenv("OMP_NUM_THREADS")) {
    char *end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != env && n > 0) return n < 4096 ? static_cast<int>(n) : 4096;
  }
  cpu_set_t cpus;
  if (sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 0)
    return CPU_COUNT(&cpus);
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

namespace {
struct Task {
  void (*fn)(void *);
  void *arg;
  const std::atomic<bool> *cancel;  // the caller's, so that every thread stops with it
  std::mutex mutex;
  std::exception_ptr failure;  // the first exception of any thread
};

void run(Task &task) {
  CancelScope scope(task.cancel);
  try {
    task.fn(task.arg);
  } catch (...) {
    std::lock_guard<std::mutex> lock(task.mutex);
    if (!task.failure) task.failure = std::current_exception();
  }
}

void *start(void *task) {
  run(*static_cast<Task *>(task));
  return nullptr;
}
}  // namespace

int run_on_threads(int threads, void (*fn)(void *), void *arg) {
  Task task{fn, arg, cancel_flag(), {}, nullptr};
  std::vector<pthread_t> started;
  started.reserve(threads > 1 ? static_cast<size_t>(threads) : 0);
  for (int i = 1; i < threads; ++i) {
    pthread_t id;
    if (pthread_create(&id, nullptr, start, &task) != 0) break;  // carry on with fewer
    started.push_back(id);
  }
  run(task);
  for (pthread_t id : started) pthread_join(id, nullptr);
  if (task.failure) std::rethrow_exception(task.failure);
  return static_cast<int>(started.size()) + 1;
}
