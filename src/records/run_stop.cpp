#include "records/run_stop.h"

#include <cstdio>
#include <cstdlib>

namespace {
StopHandler installed_handler = nullptr;
}

void stop_run(int status) {
  std::fflush(stdout);
  if (installed_handler != nullptr) installed_handler(status);
  std::exit(status);
}

StopHandler set_stop_handler(StopHandler handler) {
  StopHandler previous = installed_handler;
  installed_handler = handler;
  return previous;
}
