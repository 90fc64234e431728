#include "io/diagnostics.h"

#include <cstdarg>
#include <cstdio>

#include "records/run_stop.h"

void file_error(const char *path, long line, const char *format, ...) {
  std::fflush(stdout);
  if (line > 0)
    std::fprintf(stderr, "motifsig: %s:%ld: ", path, line);
  else
    std::fprintf(stderr, "motifsig: %s: ", path);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  stop_run(1);
}
