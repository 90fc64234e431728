#include "process/tracked_files.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <mutex>
#include <utility>

namespace {
// Who may touch the tracked files: nobody (kIdle), the one thread changing them (kChanging),
// or the signal handler that removes them and ends the process (kDying).
enum : int { kIdle, kChanging, kDying };
std::atomic<int> temp_state{kIdle};
std::atomic<int> pending_signal{0};  // a signal that came during a change
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

// The files in flight: a motif file and a few reports, or a logo per motif. The table grows
// only between begin_temp_change and end_temp_change, so the signal handler sees it whole.
struct Tracked {
  int dir_fd;
  const char *name;  // nullptr: a free slot
};
Tracked initial_table[16];
Tracked *tracked = initial_table;
size_t tracked_capacity = 16;
size_t reserved = 0;  // slots promised to writes in progress, on any thread

// Async-signal-safe.
void remove_tracked() {
  for (size_t i = 0; i < tracked_capacity; ++i) {
    Tracked &file = tracked[i];
    if (file.name != nullptr) unlinkat(file.dir_fd, file.name, 0);
    file.name = nullptr;
  }
}

// Removes the tracked files and ends the process by `sig`, with its default action.
[[noreturn]] void die_of(int sig) {
  remove_tracked();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);
}

void on_signal(int sig) {
  pending_signal.store(sig);
  int expected = kIdle;
  // During a change, the changing thread acts on the signal when it ends the change; when
  // another signal is already ending the process, there is nothing left to do.
  if (temp_state.compare_exchange_strong(expected, kDying)) die_of(sig);
}
}  // namespace

void begin_temp_change() {
  for (;;) {
    int expected = kIdle;
    if (temp_state.compare_exchange_weak(expected, kChanging)) return;
    if (expected == kDying)
      for (;;) pause();  // the signal handler is ending the process
    sched_yield();       // another thread is changing them
  }
}

void end_temp_change() {
  temp_state.store(kIdle);
  const int sig = pending_signal.load();
  int expected = kIdle;
  if (sig != 0 && temp_state.compare_exchange_strong(expected, kDying)) die_of(sig);
}

bool track_temp_file(int dir_fd, const char *name) {
  for (size_t i = 0; i < tracked_capacity; ++i)
    if (tracked[i].name == nullptr) {
      tracked[i] = {dir_fd, name};
      return true;
    }
  return false;
}

void untrack_temp_file(const char *name) {
  for (size_t i = 0; i < tracked_capacity; ++i)
    if (tracked[i].name == name) tracked[i].name = nullptr;
}

void reserve_temp_files(size_t count) {
  // Several threads may write at once: each adds the files it will track to what is promised.
  for (;;) {
    begin_temp_change();
    const size_t wanted = reserved + count, capacity = tracked_capacity;
    if (wanted <= capacity) {
      reserved = wanted;
      end_temp_change();
      return;
    }
    end_temp_change();
    Tracked *table = new Tracked[wanted]();  // outside the change, which must not stop
    begin_temp_change();
    if (tracked_capacity == capacity) {
      std::copy(tracked, tracked + tracked_capacity, table);
      std::swap(tracked, table);
      tracked_capacity = wanted;
    }
    end_temp_change();
    if (table != initial_table) delete[] table;  // the table replaced, or one not needed
  }
}

void release_temp_files(size_t count) {
  begin_temp_change();
  reserved -= count < reserved ? count : reserved;
  end_temp_change();
}

void stop_on_signals() {
  signal(SIGXFSZ, SIG_IGN);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction action {
    }, previous{};
    if (sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
  }
}

namespace {
std::mutex cleanup_mutex;
int cleanup_guards = 0;                             // guards alive, on every thread
bool cleanup_installed[3] = {false, false, false};  // by index in kCleanupSignals
constexpr int kCleanupSignals[3] = {SIGINT, SIGTERM, SIGHUP};
}  // namespace

SignalCleanup::SignalCleanup() {
  std::lock_guard<std::mutex> lock(cleanup_mutex);
  if (cleanup_guards++ > 0) return;
  for (int i = 0; i < 3; ++i) {
    struct sigaction action {
    }, previous{};
    cleanup_installed[i] = false;
    if (sigaction(kCleanupSignals[i], nullptr, &previous) != 0 ||
        (previous.sa_flags & SA_SIGINFO) != 0 || previous.sa_handler != SIG_DFL)
      continue;
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    cleanup_installed[i] = sigaction(kCleanupSignals[i], &action, nullptr) == 0;
  }
}

SignalCleanup::~SignalCleanup() {
  std::lock_guard<std::mutex> lock(cleanup_mutex);
  if (--cleanup_guards > 0) return;
  for (int i = 0; i < 3; ++i) {
    struct sigaction action {
    }, current{};
    // Put the default back only where the handler is still this one.
    if (!cleanup_installed[i] || sigaction(kCleanupSignals[i], nullptr, &current) != 0 ||
        (current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != on_signal)
      continue;
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(kCleanupSignals[i], &action, nullptr);
  }
}
