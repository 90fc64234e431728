#include <string>
#include <utility>

#include "motifsig/motifsig.h"
#include "process/diagnostics.h"

namespace motifsig {

Error::Error(const std::string &message, int exit_status, std::string file, long line)
    : std::runtime_error(message), exit_status_(exit_status), file_(std::move(file)), line_(line) {}

int Error::exit_status() const { return exit_status_; }
const std::string &Error::file() const { return file_; }
long Error::line() const { return line_; }

std::string Warning::text() const {
  if (file.empty()) return message;
  std::string text = printable(file);
  if (line > 0) text += ":" + std::to_string(line);
  return text + ": " + message;
}

}  // namespace motifsig
