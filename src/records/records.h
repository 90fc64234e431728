// The working records of a run: the sequence set, the alphabet and background (Dataset), and one
// Model per motif, filled by the readers and the statistics. Plain data; whoever fills a field
// reaches in directly. The library copies the results from them once into motifsig::Result,
// which is all that the reports and the motif file writer read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How the sites of a motif may be distributed over the sequences.
enum MOTYPE : int32_t {
  Pooled = 0,        // anywhere; start positions pooled over all sequences
  PerSequenceA = 1,  // at most one site per sequence
  PerSequenceB = 2,  // counted as PerSequenceA; every motif read from a file gets this
};

struct SeqRecord {
  int64_t length;  // characters on the sequence's line
};

struct Dataset {
  int32_t alength = 0;           // letters in the alphabet
  char *alphabet = nullptr;      // alength letters, NUL-terminated
  int32_t nseqs = 0;             // sequences in the sequence file
  SeqRecord **seqs = nullptr;    // nseqs records, in file order
  double *background = nullptr;  // alength frequencies; rescaled to sum 1 by the statistics
};

// Widest motif a Model can hold: col_rel_entropy has one slot per column.
constexpr int MAX_MOTIF_WIDTH = 300;

// A copy shares `matrix` with its source; Records releases the rows at the end of the run.
struct Model {
  MOTYPE mtype = PerSequenceB;
  int32_t palindrome = 0;     // non-zero: positions count once even on both strands
  int32_t both_strands = 0;   // non-zero (and not palindrome): every position counts twice
  int32_t w = 0;              // columns
  double **matrix = nullptr;  // w rows of alength letter probabilities
  int32_t nsites = 0;
  double col_rel_entropy[MAX_MOTIF_WIDTH] = {};  // bits, entries 0 .. w-1
  double mean_rel_entropy = 0;                   // bits per column
  double info_content = 0;                       // bits, 14 significant digits
  double log_evalue = 0;                         // natural log of the E-value
  double llr = 0;                                // nats, sum of the rounded column LLRs
  // Per column, for the reports: the rounded column LLR (nats) and its natural-log p-value.
  double col_llr[MAX_MOTIF_WIDTH] = {};
  double col_log_pvalue[MAX_MOTIF_WIDTH] = {};
  std::string id;  // from the "MOTIF id alt" line before the matrix; empty when absent
  std::string alt;
};

// Releases the arrays of the records (the records themselves are values).
void release_records(Dataset &dataset, std::vector<Model> &models);

// The records of one run, released with it, however the run ends.
struct Records {
  Dataset dataset;
  std::vector<Model> models;

  Records() = default;
  ~Records() { release_records(dataset, models); }
  Records(const Records &) = delete;
  Records &operator=(const Records &) = delete;
};
