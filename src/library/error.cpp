#include <string>
#include <utility>

#include "motifsig/motifsig.h"
#include "process/diagnostics.h"

#define MOTIFSIG_STRINGIFY_(x) #x
#define MOTIFSIG_STRINGIFY(x) MOTIFSIG_STRINGIFY_(x)

namespace motifsig {

std::string printable(std::string_view text) { return ::printable(text); }

const char *version() {
  return MOTIFSIG_STRINGIFY(MOTIFSIG_VERSION_MAJOR) "." MOTIFSIG_STRINGIFY(
      MOTIFSIG_VERSION_MINOR) "." MOTIFSIG_STRINGIFY(MOTIFSIG_VERSION_PATCH);
}

Error::Error(const std::string &message, int exit_status, std::string file, long line,
             int error_number)
    : std::runtime_error(message),
      exit_status_(exit_status),
      file_(std::move(file)),
      line_(line),
      error_number_(error_number) {}

int Error::exit_status() const { return exit_status_; }
const std::string &Error::file() const { return file_; }
long Error::line() const { return line_; }
int Error::error_number() const { return error_number_; }
bool Error::prefixed() const { return prefixed_; }
const std::string &Error::standard_output() const { return standard_output_; }

// 128 + SIGINT, as a shell reports a run stopped by Ctrl-C.
Cancelled::Cancelled() : Error("cancelled", 130) {}

std::string Warning::text() const {
  if (file.empty()) return message;
  std::string text = printable(file);
  if (line > 0) text += ":" + std::to_string(line);
  return text + ": " + message;
}

}  // namespace motifsig
