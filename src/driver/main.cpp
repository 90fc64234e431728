// motifsig SEQUENCES MOTIFS SITES OUTPUT
#include <cstdio>
#include <cstring>
#include <new>

#include "driver/run.h"
#include "records/run_stop.h"

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "Usage: motifsig SEQUENCES MOTIFS SITES OUTPUT\n"
    "\n"
    "Recomputes the statistical significance of every motif in MOTIFS from the sites listed in\n"
    "SITES and the sequence set in SEQUENCES, and writes the motifs with their new E-values to\n"
    "OUTPUT.\n"
    "\n"
    "  SEQUENCES  one sequence per line; lines starting with '>' and empty lines are skipped\n"
    "  MOTIFS     motif file: an ALPHABET block with background frequencies, then one\n"
    "             'letter-probability matrix: ... w= W' line and W rows per motif\n"
    "  SITES      a header line, then one line per site whose first TAB-separated field\n"
    "             is the motif number (1 = first motif in MOTIFS)\n"
    "  OUTPUT     motif file to write (replaced only when the run succeeds)\n"
    "\n"
    "Input files may be gzip-compressed.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0 success, 1 bad input, failed output or out of memory, 2 usage error.\n"
    "The README describes the formats, the output and every error message.\n";

// A failed allocation of the records ends the run like every other fatal error.
void out_of_memory() {
  std::fflush(stdout);
  std::fputs("motifsig: out of memory\n", stderr);
  stop_run(1);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("motifsig %s\n", MOTIFSIG_VERSION);
    return 0;
  }
  if (argc < 5) {
    std::fprintf(stderr, "motifsig: expected 4 file names, got %d\n\n%s", argc - 1, kUsage);
    return 2;
  }
  std::set_new_handler(out_of_memory);
  // Arguments after the fourth are ignored.
  return run_motifsig(RunFiles{argv[1], argv[2], argv[3], argv[4]});
}
