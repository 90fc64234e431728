// motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT
#include <cstdio>
#include <new>

#include "driver/command_line.h"
#include "driver/run.h"
#include "records/run_stop.h"

namespace {

// A failed allocation of the records ends the run like every other fatal error.
void out_of_memory() {
  std::fflush(stdout);
  std::fputs("motifsig: out of memory\n", stderr);
  stop_run(1);
}

}  // namespace

int main(int argc, char **argv) {
  RunOptions options;
  const int status = parse_command_line(argc, argv, options);
  if (status >= 0) return status;
  std::set_new_handler(out_of_memory);
  stop_on_signals();
  return run_motifsig(options);
}
