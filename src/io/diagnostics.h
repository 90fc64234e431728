// Messages about input and output files, one line each on standard error. An error,
// "motifsig: FILE:LINE: what is wrong" (no LINE when the fault is not on a line), stops the run
// with exit status 1; a warning, "motifsig: warning: FILE:LINE: ...", lets it go on unchanged.
// FILE is shown with its control bytes escaped, as printable() shows a token. Warnings are also
// kept for the reports, which list them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Line 0 means "no particular line".
[[noreturn]] void file_error(const char *path, long line, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

void file_warning(const char *path, long line, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// A warning as the reports show it: the message is the text after "FILE:LINE: ".
struct RunWarning {
  std::string file;
  long line;  // 0: no particular line
  std::string message;
};

// Every warning of the run so far, in the order given.
const std::vector<RunWarning> &run_warnings();
void clear_run_warnings();  // for a process that makes several runs, such as the tests

// `text` as a message may quote it: a NUL or other control byte is written \0 or \xHH, so a
// token is shown whole and cannot garble the terminal.
std::string printable(std::string_view text);
