// What the tool writes to the terminal: progress lines on standard output, and warnings, errors
// and the status of long work on standard error, each message one line after "motifsig: ".
#pragma once

#include <motifsig/motifsig.h>

#include <string>

// "motifsig: MESSAGE" and a line pointing to --help.
void usage_error(const std::string &message);

// "motifsig: warning: FILE:LINE: message".
void print_warning(const motifsig::Warning &warning);

// The message of `error` as the tool shows it (a usage error with the line pointing to --help);
// returns its exit status.
int print_error(const motifsig::Error &error);

// One progress line, flushed at once so that a long run shows where it is.
void print_progress(const std::string &line);

// The status of long work, redrawn in place on one line; "" erases it.
void draw_status(const std::string &status);
