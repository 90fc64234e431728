// The command line: options anywhere, up to a "--", and four file names; further names are
// ignored with a warning.
#pragma once

#include <string>

#include "options.h"

// Fills `options` from argv. Returns -1 when the run should go ahead, otherwise the exit
// status to end with (0 after --help or --version, 2 after a usage error, whose message has
// been printed). Warnings about the command line are printed and kept in options.warnings.
int parse_command_line(int argc, char **argv, RunOptions &options);
