#include "harness.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

const TempDir &scratch() {
  static const TempDir dir(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr);
  return dir;
}

std::string write_scratch(const char *name, const uint8_t *data, size_t size) {
  return scratch().write(name, std::string(reinterpret_cast<const char *>(data), size));
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
