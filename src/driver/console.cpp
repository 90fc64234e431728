#include "console.h"

#include <cstdio>

void usage_error(const std::string &message) {
  std::fflush(stdout);
  std::fprintf(stderr, "motifsig: %s\nTry 'motifsig --help' for more information.\n",
               message.c_str());
}

void print_warning(const motifsig::Warning &warning) {
  std::fflush(stdout);
  // Every warning of the tool names a file, even one given as ''.
  const std::string text = warning.file.empty() ? ": " + warning.message : warning.text();
  std::fprintf(stderr, "motifsig: warning: %s\n", text.c_str());
}

int print_error(const motifsig::Error &error) {
  std::fflush(stdout);
  if (!error.standard_output().empty()) {
    std::fputs(error.standard_output().c_str(), stdout);
    std::fflush(stdout);
  }
  if (error.exit_status() == 2)
    usage_error(error.what());
  else
    std::fprintf(stderr, "%s%s\n", error.prefixed() ? "motifsig: " : "", error.what());
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
