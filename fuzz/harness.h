// Shared parts of the fuzz targets: scratch files for the readers, which take paths, and a stop
// handler that turns the end of a run into an exception so one bad input does not end the
// fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/temp_files.h"

// Thrown by the installed stop handler in place of exiting; private to the harness.
struct HarnessStop {
  int status;
};

// Installs the throwing stop handler for its lifetime, one input's run; at its end the run's
// warnings are forgotten, so that they do not pile up over the inputs of a process.
class ThrowingStops {
 public:
  ThrowingStops();
  ~ThrowingStops();
  ThrowingStops(const ThrowingStops &) = delete;
  ThrowingStops &operator=(const ThrowingStops &) = delete;
};

// This process's scratch directory (on /dev/shm when it can), removed when the process exits.
const TempDir &scratch();

// Replaces the content of the scratch file `name` with `size` bytes of `data`; returns its path.
std::string write_scratch(const char *name, const uint8_t *data, size_t size);

// Sends the tool's progress lines on standard output to /dev/null.
void silence_stdout();

// Reports a fault the harness found (not a sanitizer) and aborts, so the fuzzer keeps the input.
[[noreturn]] void harness_fault(const char *format, ...) __attribute__((format(printf, 1, 2)));
