#include "driver/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifndef MOTIFSIG_VERSION
#define MOTIFSIG_VERSION "unknown"
#endif

namespace {

const char kDescription[] =
    "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT\n"
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
    "Input files may be gzip-compressed. Options come before the file names.";

const char kFooter[] =
    "Exit status: 0 success, 1 bad input, failed output or out of memory, 2 usage error.\n"
    "The README and docs/ describe the formats, the reports and every message.";

std::string join_arguments(int argc, char **argv) {
  std::string joined;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

// Help starts with the usage line (in the description) and lists the options after it.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App *, std::string) const override { return ""; }
};

void usage_error(const std::string &message) {
  std::fprintf(stderr, "motifsig: %s\nTry 'motifsig --help' for more information.\n",
               message.c_str());
}

}  // namespace

int parse_command_line(int argc, char **argv, RunOptions &options) {
  CLI::App app(kDescription, "motifsig");
  app.footer(kFooter);
  auto formatter = std::make_shared<HelpFormatter>();
  formatter->column_width(24);
  app.formatter(formatter);
  // Parsing stops at the first file name: the rest are file names, and arguments after the
  // fourth are ignored whatever they look like.
  app.prefix_command();
  app.set_help_flag("-h,--help", "show this help and exit");
  bool version = false;
  app.add_flag("--version", version, "show the version and exit");

  app.add_option("--tsv", options.tsv_path, "also write a table with one row per motif")
      ->type_name("FILE");
  app.add_option("--json", options.json_path, "also write the whole result as a JSON document")
      ->type_name("FILE");
  app.add_option("--html", options.html_path,
                 "also write an HTML report with a sequence logo per motif")
      ->type_name("FILE");
  app.add_option("--logos", options.logos_dir,
                 "also write each motif's sequence logo as an SVG file into DIR")
      ->type_name("DIR");

  app.add_option("--strands", options.strands,
                 "strands searched: 2 counts every site position twice")
      ->check(CLI::IsMember({1, 2}).description(""))
      ->default_val(1)
      ->type_name("1|2");
  app.add_flag("--palindromic", options.palindromic,
               "motifs are their own reverse complement: count positions once");
  std::string sites_model = "per-sequence";
  app.add_option("--sites", sites_model, "per-sequence (at most one site per sequence) or anywhere")
      ->check(CLI::IsMember({"per-sequence", "anywhere"}).description(""))
      ->default_val("per-sequence")
      ->type_name("MODEL");
  app.add_option("--background", options.background_path,
                 "'LETTER FREQUENCY' lines replacing the motif file's background")
      ->type_name("FILE");

  app.add_option("-t,--threads", options.threads,
                 "threads (default: OMP_NUM_THREADS if set, else every core)")
      ->check(CLI::Range(1, 4096).description(""))
      ->type_name("N");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError &e) {
    usage_error(e.what());
    return 2;
  }
  if (version) {
    std::printf("motifsig %s\n", MOTIFSIG_VERSION);
    return 0;
  }
  std::vector<std::string> files = app.remaining();
  if (!files.empty() && files[0].size() > 1 && files[0][0] == '-') {
    usage_error("unknown option " + files[0]);
    return 2;
  }
  if (files.size() < 4) {
    usage_error("expected 4 file names, got " + std::to_string(files.size()));
    return 2;
  }
  options.sequences = files[0];
  options.motifs = files[1];
  options.sites = files[2];
  options.output = files[3];
  options.site_model = sites_model == "anywhere" ? Pooled : PerSequenceB;
  options.command_line = join_arguments(argc, argv);
  return -1;
}
