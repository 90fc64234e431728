// Faults and warnings about input and output files. A fault is thrown as motifsig::Error with
// the message "FILE:LINE: what is wrong" (no LINE when the fault is not on a line) and exit
// status 1; the tool prints it after "motifsig: ", on one line. A warning goes to the run's
// Warnings, which keep it for the result and hand it on as it arises. FILE is shown with its
// control bytes escaped, as printable() shows a token.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "motifsig/motifsig.h"

// Line 0 means "no particular line".
[[noreturn]] void file_error(const char *path, long line, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The fault of a failed system call on `path`: "PATH: what: " and strerror(error_number); the
// Error carries error_number.
[[noreturn]] void system_file_error(const char *path, int error_number, const char *what);

// A fault in inputs given in memory, not in a file: the message alone, exit status 1.
[[noreturn]] void input_error(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A fault the tool prints as it stands, without "motifsig: ": the allocation failures of the
// statistics, whose two-line messages name the array. `out` goes to standard output first.
// With a `lead` line (the file at fault and what is wrong with it), the message starts with
// that line, which the tool prints after "motifsig: " (Error::prefixed() and standard_output()
// carry this to the tool).
class BareError : public motifsig::Error {
 public:
  BareError(const std::string &message, std::string out = {});
  BareError(const std::string &lead, const BareError &bare, std::string file);
};

// The warnings of one run, in the order given.
class Warnings {
 public:
  // `on_warning`, when set, is called with each warning as it is added.
  explicit Warnings(std::function<void(const motifsig::Warning &)> on_warning = {});
  void add(const char *path, long line, const char *format, ...)
      __attribute__((format(printf, 4, 5)));
  const std::vector<motifsig::Warning> &list() const { return list_; }

 private:
  std::function<void(const motifsig::Warning &)> on_warning_;
  std::vector<motifsig::Warning> list_;
};

// `text` as a message may quote it: a NUL or other control byte is written \0 or \xHH, so a
// token is shown whole and cannot garble the terminal.
std::string printable(std::string_view text);
