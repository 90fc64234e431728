#include "driver/console.h"

#include <cstdio>

#include "process/diagnostics.h"

void usage_error(const std::string &message) {
  std::fflush(stdout);
  std::fprintf(stderr, "motifsig: %s\nTry 'motifsig --help' for more information.\n",
               message.c_str());
}

void print_warning(const motifsig::Warning &warning) {
  std::fflush(stdout);
  // Every warning of the tool names a file, even one given as ''.
  std::string where = printable(warning.file);
  if (warning.line > 0) where += ":" + std::to_string(warning.line);
  std::fprintf(stderr, "motifsig: warning: %s: %s\n", where.c_str(), warning.message.c_str());
}

int print_error(const motifsig::Error &error) {
  std::fflush(stdout);
  if (const BareError *bare = dynamic_cast<const BareError *>(&error)) {
    std::fputs(bare->out().c_str(), stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "%s%s\n", bare->has_lead() ? "motifsig: " : "", error.what());
  } else if (error.exit_status() == 2) {
    usage_error(error.what());
  } else {
    std::fprintf(stderr, "motifsig: %s\n", error.what());
  }
  return error.exit_status();
}

void print_progress(const std::string &line) {
  std::fputs(line.c_str(), stdout);
  std::putchar('\n');
  std::fflush(stdout);
}

void draw_status(const std::string &status) {
  if (status.empty())
    std::fputs("\r\033[K", stderr);
  else
    std::fprintf(stderr, "\rmotifsig: %s\033[K", status.c_str());
  std::fflush(stderr);
}
