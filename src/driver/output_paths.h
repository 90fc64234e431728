// Where the outputs go, checked before anything is read or written: no two outputs may be one
// file, and no output may be one of the inputs, however the paths are spelled. Outputs that are
// not regular files (/dev/null, a terminal, a pipe) are written directly and may be shared.
#pragma once

#include <string>

#include "driver/options.h"

// The first clash as a usage message, such as "peaks.fa: --tsv would replace the sequence
// file"; empty when there is none.
std::string output_path_clash(const RunOptions &options);
