#include "harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "io/diagnostics.h"
#include "records/run_stop.h"

namespace {
[[noreturn]] void throw_stop(int status) { throw HarnessStop{status}; }
}  // namespace

ThrowingStops::ThrowingStops() { set_stop_handler(throw_stop); }
ThrowingStops::~ThrowingStops() {
  set_stop_handler(nullptr);
  clear_run_warnings();
}

const TempDir &scratch() {
  static const TempDir dir(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr);
  return dir;
}

std::string write_scratch(const char *name, const uint8_t *data, size_t size) {
  return scratch().write(name, std::string(reinterpret_cast<const char *>(data), size));
}

void silence_stdout() {
  std::fflush(stdout);
  int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_fd >= 0) {
    dup2(null_fd, STDOUT_FILENO);
    close(null_fd);
  }
}

void harness_fault(const char *format, ...) {
  std::fprintf(stderr, "motifsig fuzz harness: ");
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}
