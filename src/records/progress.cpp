#include "records/progress.h"

#include <cstdarg>
#include <cstdio>

namespace {
bool lines_on = true;
}  // namespace

void set_progress_lines(bool on) { lines_on = on; }

bool progress_lines_on() { return lines_on; }

void progress_line(const char *format, ...) {
  if (!lines_on) return;
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::putchar('\n');
  std::fflush(stdout);
}
