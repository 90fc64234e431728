#include "command_line.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console.h"

namespace {

const char kDescription[] =
    "Usage: motifsig [OPTIONS] SEQUENCES MOTIFS SITES OUTPUT\n"
    "\n"
    "Recomputes the statistical significance of every motif in MOTIFS from the sites listed in\n"
    "SITES and the sequence set in SEQUENCES, and writes the motifs with their new E-values to\n"
    "OUTPUT.\n"
    "\n"
    "  SEQUENCES  one sequence per line; lines starting with '>' and empty lines are skipped\n"
    "             (--fasta: FASTA records, each over any number of lines)\n"
    "  MOTIFS     motif file: an ALPHABET block with background frequencies, then one\n"
    "             'letter-probability matrix: ... w= W' line and W rows per motif\n"
    "  SITES      a header line, then one line per site whose first TAB-separated field\n"
    "             is the motif number (1 = first motif in MOTIFS)\n"
    "  OUTPUT     motif file to write (replaced only when the run succeeds); '-' writes it,\n"
    "             or a report, to standard output\n"
    "\n"
    "Input files may be gzip-compressed. Options may come anywhere; '--' ends them.";

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

// A check that says what it expected, as "--strands: expected 1 or 2, not '2.0'".
CLI::Validator expecting(const char *expected, std::function<bool(const std::string &)> ok) {
  return CLI::Validator(
      [expected, ok](std::string &value) {
        return ok(value) ? std::string()
                         : "expected " + std::string(expected) + ", not '" +
                               motifsig::printable(value) + "'";
      },
      "");
}

// A whole number from 1 to 4096, as "8", "+8" or "008".
bool is_thread_count(const std::string &value) {
  if (value.empty() || value[0] == '-') return false;
  int n = 0;
  for (size_t i = value[0] == '+' ? 1 : 0; i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') return false;
    n = n * 10 + (value[i] - '0');
    if (n > 4096) return false;
  }
  return n >= 1;
}

const CLI::Validator kFileName =
    expecting("a file name", [](const std::string &value) { return !value.empty(); });

}  // namespace

int parse_command_line(int argc, char **argv, RunOptions &options) {
  CLI::App app(kDescription, "motifsig");
  app.footer(kFooter);
  auto formatter = std::make_shared<HelpFormatter>();
  formatter->column_width(24);
  app.formatter(formatter);
  // Options may follow the file names; an unknown one is reported below.
  app.allow_extras();
  std::vector<std::string> files;
  app.add_option("files", files)->group("");
  app.set_help_flag("-h,--help", "show this help and exit");
  bool version = false;
  app.add_flag("--version", version, "show the version and exit");
  app.add_flag("-q,--quiet", options.quiet, "no progress lines on standard output");
  app.add_flag("--fasta", options.inputs.fasta,
               "SEQUENCES is FASTA: a record's lines make one sequence");

  app.add_option("--tsv", options.outputs.tsv, "also write a table with one row per motif")
      ->check(kFileName)
      ->type_name("FILE");
  app.add_option("--json", options.outputs.json, "also write the whole result as a JSON document")
      ->check(kFileName)
      ->type_name("FILE");
  app.add_option("--html", options.outputs.html,
                 "also write an HTML report with a sequence logo per motif")
      ->check(kFileName)
      ->type_name("FILE");
  app.add_option("--logos", options.outputs.logos_dir,
                 "also write each motif's sequence logo as an SVG file into DIR")
      ->check(expecting("a directory name", [](const std::string &v) { return !v.empty(); }))
      ->type_name("DIR");

  app.add_option("--strands", options.model.strands,
                 "strands searched: 2 counts every site position twice")
      ->check(expecting("1 or 2", [](const std::string &v) { return v == "1" || v == "2"; }))
      ->default_val(1)
      ->type_name("1|2");
  app.add_flag("--palindromic", options.model.palindromic,
               "with --strands 2: motifs are their own reverse complement");
  std::string sites_model = "per-sequence";
  app.add_option("--sites", sites_model, "per-sequence (at most one site per sequence) or anywhere")
      ->check(
          expecting("per-sequence or anywhere",
                    [](const std::string &v) { return v == "per-sequence" || v == "anywhere"; }))
      ->default_val("per-sequence")
      ->type_name("MODEL");
  app.add_option("--background", options.inputs.background_path,
                 "'LETTER FREQUENCY' lines replacing the motif file's background")
      ->check(kFileName)
      ->type_name("FILE");

  std::string pvalues = "lattice";
  const std::string pvalues_help = std::string(
                                       "column p-values: lattice (grid of 200 steps) or "
                                       "accurate (") +
                                   motifsig::accurate_pvalue_promise() + ")";
  app.add_option("--pvalues", pvalues, pvalues_help)
      ->check(expecting("lattice or accurate",
                        [](const std::string &v) { return v == "lattice" || v == "accurate"; }))
      ->default_val("lattice")
      ->type_name("METHOD");

  app.add_option("-t,--threads", options.threads,
                 "threads (default: OMP_NUM_THREADS if set, else every core)")
      ->check(expecting("a whole number from 1 to 4096", is_thread_count))
      ->type_name("N");
  // The baseline of the benchmarks; the results are the same bits, so the help leaves it out.
  app.add_flag("--plain-kernel", options.plain_kernel)->group("");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError &e) {
    usage_error(motifsig::printable(e.what()));
    return 2;
  }
  if (version) {
    std::printf("motifsig %s\n", motifsig::version());
    return 0;
  }
  for (const std::string &unknown : app.remaining())
    if (unknown != "--") {  // the parser keeps the end of the options among the rest
      usage_error("unknown option " + motifsig::printable(unknown));
      return 2;
    }
  if (files.size() < 4) {
    usage_error("expected 4 file names, got " + std::to_string(files.size()));
    return 2;
  }
  options.model.sites =
      sites_model == "anywhere" ? motifsig::SiteModel::anywhere : motifsig::SiteModel::per_sequence;
  options.model.pvalues =
      pvalues == "accurate" ? motifsig::PvalueMethod::accurate : motifsig::PvalueMethod::lattice;
  try {
    motifsig::check_settings(options.model, {}, "--");
    const char *const kRoles[] = {"SEQUENCES", "MOTIFS", "SITES", "OUTPUT"};
    for (int i = 0; i < 4; ++i)
      if (files[i].empty())
        throw motifsig::Error(std::string(kRoles[i]) + ": expected a file name, not ''", 2);
    options.inputs.sequences_path = files[0];
    options.inputs.motifs_path = files[1];
    options.inputs.sites_path = files[2];
    options.outputs.motif_file = files[3];
    motifsig::check_outputs(options.inputs, options.outputs);
  } catch (const motifsig::Error &error) {
    usage_error(error.what());
    return 2;
  }
  // The program has always ignored them; a word says so, since they are usually a mistake.
  for (size_t i = 4; i < files.size(); ++i) {
    options.warnings.push_back({files[i], 0, "ignored: only four file names are read"});
    print_warning(options.warnings.back());
  }
  options.outputs.command_line = join_arguments(argc, argv);
  return -1;
}
