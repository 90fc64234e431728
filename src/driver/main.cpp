// motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT
#include <new>

#include "command_line.h"
#include "console.h"
#include "run.h"

int main(int argc, char **argv) {
  RunOptions options;
  const int status = parse_command_line(argc, argv, options);
  if (status >= 0) return status;
  motifsig::stop_on_signals();
  try {
    return run_motifsig(options);
  } catch (const motifsig::Error &error) {
    return print_error(error);
  } catch (const std::bad_alloc &) {
    return print_error(motifsig::Error("out of memory", 1));
  }
}
