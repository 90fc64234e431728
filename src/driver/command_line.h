// The command line: options anywhere, up to a "--", and four file names; further names are
// ignored with a warning.
#pragma once

#include <string>

#include "driver/options.h"

// Fills `options` from argv. Returns -1 when the run should go ahead, otherwise the exit
// status to end with (0 after --help or --version, 2 after a usage error, whose message has
// been printed).
int parse_command_line(int argc, char **argv, RunOptions &options);

// Prints a usage error: "motifsig: MESSAGE" and a line pointing to --help.
void usage_error(const std::string &message);
