// The output motif file: header "VORL version 4", the alphabet, the background as rescaled by
// the statistics, then every motif with its width, site count, E-value and matrix. The motif
// file reader reads it back.
#pragma once

#include <string>

#include "motifsig/motifsig.h"

// The whole text of the output file.
std::string format_motif_file(const motifsig::Result &result);
