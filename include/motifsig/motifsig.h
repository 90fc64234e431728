// motifsig as a library: recomputes the significance of motifs from their sites. A process may
// make many analyses, one after another or on several threads at once; none of them prints, and
// none ends the process: a fault comes back as motifsig::Error.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The version of this header; version() gives the library's. The build, the Python package
// and the tool's --version all take theirs from these three lines.
#define MOTIFSIG_VERSION_MAJOR 1
#define MOTIFSIG_VERSION_MINOR 0
#define MOTIFSIG_VERSION_PATCH 0

// What a shared build of the library exports; everything else in it is hidden.
#if defined(__GNUC__) || defined(__clang__)
#define MOTIFSIG_API __attribute__((visibility("default")))
#else
#define MOTIFSIG_API
#endif

namespace motifsig {

// The library's version, "MAJOR.MINOR.PATCH".
MOTIFSIG_API const char *version();

// What --pvalues accurate promises for each column p-value, in the words every message uses.
MOTIFSIG_API const char *accurate_pvalue_promise();

// `text` as the library's messages quote a name: a NUL or other control byte is written \0 or
// \xHH, so that it cannot garble a terminal.
MOTIFSIG_API std::string printable(std::string_view text);

enum class SiteModel { per_sequence, anywhere };  // --sites per-sequence | anywhere
enum class PvalueMethod { lattice, accurate };    // --pvalues lattice | accurate

// The search the motifs were found with; the defaults reproduce the motif file's own model.
struct SearchModel {
  int strands = 1;           // 2: every site position counts on both strands
  bool palindromic = false;  // positions count once even on two strands
  SiteModel sites = SiteModel::per_sequence;
  PvalueMethod pvalues = PvalueMethod::lattice;
};

// One motif given in memory: `rows` has one row per column, one probability per letter.
struct MotifMatrix {
  std::vector<std::vector<double>> rows;
  std::string id;   // optional, as on a "MOTIF id alt" line
  std::string alt;  // optional
};

// The inputs of one analysis. Each input is read from its path when the path is not empty,
// and otherwise taken from the data beside it.
struct Inputs {
  // The sequence set: a sequence file (plain or gzip), or the sequences' lengths (at least one).
  std::string sequences_path;
  bool fasta = false;  // the sequence file is FASTA
  std::vector<int64_t> sequence_lengths;

  // The motifs: a motif file, or an alphabet with its background and the matrices.
  std::string motifs_path;
  std::string alphabet;            // e.g. "ACGT"
  std::vector<double> background;  // one frequency per letter
  std::vector<MotifMatrix> motifs;

  // The sites: a site file, or the number of sites of each motif, in the motifs' order (one count
  // per motif), or by motif number (1, 2, ...; a motif not named has none, so an empty map gives
  // every motif none). A motif number out of range is an Error; so is giving both kinds of count.
  std::string sites_path;
  std::vector<int64_t> site_counts;
  std::optional<std::map<int64_t, int64_t>> site_counts_by_number;

  // A background replacing the motif's (--background): a path, or frequencies; both empty
  // keeps the motif file's (or `background`).
  std::string background_path;
  std::vector<double> background_override;
};

// A warning: valid input that is probably a mistake. The tool prints
// "motifsig: warning: " + text().
struct MOTIFSIG_API Warning {
  std::string file;  // as given; empty when the warning is not about a file
  long line = 0;     // 0: no particular line
  std::string message;
  std::string text() const;  // "FILE:LINE: message", "FILE: message" or "message"
};

struct ColumnResult {
  double rel_entropy = 0;  // bits, against the run's background
  double llr = 0;          // nats, rounded as the statistics round it
  double log_pvalue = 0;   // natural log of the column's p-value
};

struct MotifResult {
  int number = 0;  // 1-based, in file order
  std::string id, alt;
  int width = 0;
  int64_t nsites = 0;
  double llr = 0;           // nats
  double info_content = 0;  // bits against a uniform background, 14 significant digits
  double log_evalue = 0;    // natural log
  double log10_evalue = 0;
  std::string evalue_text;  // exactly as the motif file writes it, e.g. "3.70728e-26"
  std::vector<ColumnResult> columns;
  std::vector<std::vector<double>> matrix;  // one row per column, as read or given
};

// What the reports show of the run beside its results.
struct RunDescription {
  // The files as given; empty for data given in memory.
  std::string sequence_file, motif_file, site_file;
  std::string background_file;    // empty: the motif file's (or the given) background
  bool background_given = false;  // replaced by frequencies given in memory
  SearchModel model;
  int64_t sequences = 0;     // in the sequence set
  int64_t total_length = 0;  // of all sequences
  std::time_t started = 0;   // when the analysis started
};

// Everything a run computed, and all that the writers read. The writers refuse a result whose
// sizes disagree (a background, a matrix row per letter; a matrix row and a column per width).
struct Result {
  std::string alphabet;            // the motifs' letters, in the order of the matrices' rows
  std::vector<double> background;  // one per letter, as the statistics normalised it
  std::vector<MotifResult> motifs;
  std::vector<Warning> warnings;  // in the order the tool prints them
  RunDescription run;
};

// Every fault of an analysis or of writing its files. what() is the tool's message without
// the "motifsig: " prefix and without the line feed; exit_status() is the tool's exit status
// for it (1 for bad input or a failed output, 2 for a usage error).
class MOTIFSIG_API Error : public std::runtime_error {
 public:
  Error(const std::string &message, int exit_status, std::string file = {}, long line = 0,
        int error_number = 0);
  int exit_status() const;
  const std::string &file() const;  // empty when the fault is not in a file
  long line() const;                // 0: no particular line
  int error_number() const;         // the errno of the failed system call; 0: none
  // False for the statistics' allocation failures, whose two lines the tool prints as they
  // stand, without "motifsig: ", after standard_output() (usually empty) on standard output.
  bool prefixed() const;
  const std::string &standard_output() const;

 protected:
  bool prefixed_ = true;
  std::string standard_output_;

 private:
  int exit_status_;
  std::string file_;
  long line_;
  int error_number_;
};

// An analysis stopped because RunControl::cancel was set: "cancelled", exit status 130.
class MOTIFSIG_API Cancelled : public Error {
 public:
  Cancelled();
};

// The files a run writes; an empty path is not written, and "-" is standard output (for one of
// them). `command_line` is shown in the reports.
struct Outputs {
  std::string motif_file;
  std::string tsv, json, html;
  std::string logos_dir;  // one SVG per motif
  std::string command_line;
};

// How an analysis runs; nothing here changes its numbers.
struct RunControl {
  int threads = 0;  // 0: OMP_NUM_THREADS when set, otherwise every core
  // Called with each progress line the tool prints (no line feed); empty: none.
  std::function<void(const std::string &line)> progress;
  // Called with each warning as it is found (all are in Result::warnings too); empty: none.
  std::function<void(const Warning &warning)> warning;
  // Long work only: called from another thread a few times a second, from two seconds in, with
  // a status such as "motif 3 of 40, 57%", and with "" once that work ends; empty: none.
  std::function<void(const std::string &status)> status;
  // The plain column LLR kernel, one distribution at a time: the baseline of the benchmarks.
  bool plain_kernel = false;
  // When given, another thread may set it to stop the analysis: its threads see it within
  // milliseconds of their work and it throws Cancelled. It must outlive the analysis.
  const std::atomic<bool> *cancel = nullptr;
  // When given, the files the result will be written to: once the motifs are read (the logos
  // are named after them), they are checked as write checks them, so a clash ends the analysis
  // before its long work. It must outlive the analysis.
  const Outputs *outputs = nullptr;
};

// The settings as analyse checks them: strands 1 or 2, palindromic only with strands 2,
// threads from 0 to 4096; otherwise an Error with exit status 2 whose message writes each
// setting's name after `spelling` ("palindromic needs strands 2: ...", with "--" the tool's
// "--palindromic needs --strands 2: ...").
MOTIFSIG_API void check_settings(const SearchModel &model, const RunControl &control = {},
                                 const std::string &spelling = {});

// The paths of `outputs` checked as write checks them: an output that is one of the files of
// `inputs` or another output, however spelled, two outputs on standard output, or a logos_dir
// that is not a directory, is an Error with exit status 2. The files under logos_dir are named
// after the motifs, so analyse (given the outputs) and write check those.
MOTIFSIG_API void check_outputs(const Inputs &inputs, const Outputs &outputs);

// Owns the state of analyses (such as the cache of LLR distributions). One Analyser is used by
// one thread at a time; separate Analysers may run at once.
class MOTIFSIG_API Analyser {
 public:
  Analyser();
  ~Analyser();
  Analyser(const Analyser &) = delete;
  Analyser &operator=(const Analyser &) = delete;
  Result analyse(const Inputs &inputs, const SearchModel &model = {},
                 const RunControl &control = {});

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// One analysis on an Analyser of its own.
MOTIFSIG_API Result analyse(const Inputs &inputs, const SearchModel &model = {},
                            const RunControl &control = {});

// Writes every requested file, all of them or none, with the tool's rules (an output that is
// an input or another output is an Error with exit status 2). While it writes, SIGINT, SIGTERM
// and SIGHUP, where their action is still the default one of ending the process, first remove
// its temporary files; handlers the program set are left as they are.
MOTIFSIG_API void write(const Result &result, const Outputs &outputs);

// For a program that writes its results and then ends, as the tool does: from now on SIGINT,
// SIGTERM, SIGHUP and SIGPIPE (unless ignored) remove the temporary files of a write in flight
// and end the process by that signal; SIGXFSZ is ignored, so a file too large fails its write.
MOTIFSIG_API void stop_on_signals();

// The texts the files would hold.
MOTIFSIG_API std::string motif_file_text(const Result &result);
MOTIFSIG_API std::string tsv_text(const Result &result);
MOTIFSIG_API std::string json_text(const Result &result, const std::string &command_line = {});
MOTIFSIG_API std::string html_text(const Result &result, const std::string &command_line = {});
MOTIFSIG_API std::string logo_svg(const Result &result, int motif_number);

// The natural-log p-value of one column's LLR from its letter counts, under a multinomial of
// sum(counts) draws from `background` (rescaled to sum 1). The LLR is the one a run computes for
// such a column as its first: letter probabilities counts / sum(counts) against `background`
// as given, rounded as the statistics round it.
MOTIFSIG_API double column_log_pvalue(const std::vector<int64_t> &counts,
                                      const std::vector<double> &background,
                                      PvalueMethod method = PvalueMethod::lattice);

}  // namespace motifsig
