// What the fuzz targets share: scratch files for the readers, which take paths. A fault in
// an input comes back as motifsig::Error, so one bad input does not end the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/temp_files.h"

// This process's scratch directory (on /dev/shm when it can), removed when the process exits.
const TempDir &scratch();

// Replaces the content of the scratch file `name` with `size` bytes of `data`; returns its path.
std::string write_scratch(const char *name, const uint8_t *data, size_t size);

// Reports a fault the harness found (not a sanitizer) and aborts, so the fuzzer keeps the input.
[[noreturn]] void harness_fault(const char *format, ...) __attribute__((format(printf, 1, 2)));
