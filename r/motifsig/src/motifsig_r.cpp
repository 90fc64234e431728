// The compiled half of the R package: the library's inputs, results, writers and errors as they
// are, for R/*.R to wrap. A fault never leaves here as a C++ exception or an R long jump: it
// comes back as a list of class "motifsig_failure" (message, file, line, exit status), or
// "motifsig_interrupt", which the R side turns into an R condition.
#include <R_ext/Utils.h>
#include <Rcpp.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "motifsig/motifsig.h"

namespace {

// log10 as every report writes it, so that the numbers agree to the bit.
constexpr double kLn10 = 2.302585092994046;

// Thrown on the R thread when the user interrupted R; it unwinds as any of the library's faults.
struct Interrupted {};

void check_interrupt(void *) { R_CheckUserInterrupt(); }

// R_CheckUserInterrupt long-jumps when an interrupt is pending; run inside R_ToplevelExec, the
// jump ends there and never crosses the library's frames.
bool interrupt_pending() { return R_ToplevelExec(check_interrupt, nullptr) == FALSE; }

// The thread of one analysis. However the R thread leaves, it first sets the run's cancellation
// flag and joins the thread, so that no run outlives its call.
class Worker {
 public:
  Worker(std::atomic<bool> &cancel, std::thread thread)
      : cancel_(cancel), thread_(std::move(thread)) {}
  Worker(const Worker &) = delete;
  Worker &operator=(const Worker &) = delete;
  ~Worker() {
    cancel_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> &cancel_;
  std::thread thread_;
};

// One analysis on a thread of its own, so that R stays responsive: the R thread waits for it and
// looks for an interrupt ten times a second. On an interrupt it sets the run's cancellation
// flag, which its threads see within milliseconds, and waits for the run to stop.
std::unique_ptr<motifsig::Result> run_interruptibly(const motifsig::Inputs &inputs,
                                                    const motifsig::SearchModel &model,
                                                    int threads) {
  std::atomic<bool> cancel{false};
  motifsig::RunControl control;
  control.threads = threads;
  control.cancel = &cancel;
  // Between steps and motifs too, for the steps that do not look at the flag (reading inputs).
  control.progress = [&cancel](const std::string &) {
    if (cancel) throw motifsig::Cancelled();
  };
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::unique_ptr<motifsig::Result> result;
  std::exception_ptr failure;
  bool interrupted = false;
  {
    Worker worker(
        cancel, std::thread([&] {
          try {
            result = std::make_unique<motifsig::Result>(motifsig::analyse(inputs, model, control));
          } catch (...) {
            failure = std::current_exception();
          }
          std::lock_guard<std::mutex> lock(mutex);
          done = true;
          finished.notify_all();
        }));
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
      lock.unlock();
      interrupted = interrupt_pending();
      lock.lock();
      if (interrupted) break;
    }
  }  // joined: an interrupted run has stopped, and its result or fault is dropped
  if (interrupted) {
    interrupt_pending();  // another Ctrl-C while the run stopped belongs to the same interrupt
    throw Interrupted();
  }
  if (failure) std::rethrow_exception(failure);
  return result;
}

Rcpp::List failure(const motifsig::Error &error) {
  Rcpp::List out = Rcpp::List::create(
      Rcpp::Named("message") = std::string(error.what()),
      Rcpp::Named("file") = error.file().empty() ? NA_STRING : Rcpp::String(error.file()),
      Rcpp::Named("line") = error.line() > 0 ? static_cast<double>(error.line()) : NA_REAL,
      Rcpp::Named("exit_status") = error.exit_status());
  out.attr("class") = "motifsig_failure";
  return out;
}

Rcpp::List interrupt() {
  Rcpp::List out;
  out.attr("class") = "motifsig_interrupt";
  return out;
}

// Runs `body`, handing the library's faults back as data.
template <typename Body>
SEXP guarded(Body body) {
  try {
    return body();
  } catch (const motifsig::Error &error) {
    return failure(error);
  } catch (const Interrupted &) {
    return interrupt();
  }
}

std::vector<int64_t> whole_numbers(const Rcpp::NumericVector &values) {
  return std::vector<int64_t>(values.begin(), values.end());  // checked whole in R
}

// A matrix with one row per motif column, one column per letter.
motifsig::MotifMatrix motif_matrix(const Rcpp::NumericMatrix &matrix, const std::string &id,
                                   const std::string &alt) {
  motifsig::MotifMatrix motif;
  motif.id = id;
  motif.alt = alt;
  for (int i = 0; i < matrix.nrow(); ++i) {
    std::vector<double> &row = motif.rows.emplace_back();
    for (int j = 0; j < matrix.ncol(); ++j) row.push_back(matrix(i, j));
  }
  return motif;
}

Rcpp::List tables(const motifsig::Result &result) {
  const size_t nmotifs = result.motifs.size();
  Rcpp::IntegerVector number(nmotifs), width(nmotifs);
  Rcpp::CharacterVector id(nmotifs), alt(nmotifs), evalue_text(nmotifs);
  Rcpp::NumericVector nsites(nmotifs), llr(nmotifs), rel_entropy(nmotifs), log_evalue(nmotifs),
      log10_evalue(nmotifs);
  size_t ncolumns = 0;
  for (const motifsig::MotifResult &m : result.motifs) ncolumns += m.columns.size();
  Rcpp::IntegerVector column_motif(ncolumns), position(ncolumns);
  Rcpp::NumericVector column_entropy(ncolumns), column_llr(ncolumns), log_pvalue(ncolumns),
      log10_pvalue(ncolumns);
  size_t row = 0;
  for (size_t k = 0; k < nmotifs; ++k) {
    const motifsig::MotifResult &m = result.motifs[k];
    number[k] = m.number;
    id[k] = m.id;
    alt[k] = m.alt;
    width[k] = m.width;
    nsites[k] = static_cast<double>(m.nsites);
    llr[k] = m.llr;
    log_evalue[k] = m.log_evalue;
    log10_evalue[k] = m.log10_evalue;
    evalue_text[k] = m.evalue_text;
    double entropy = 0;  // summed in column order, as the reports sum it
    for (size_t i = 0; i < m.columns.size(); ++i) {
      const motifsig::ColumnResult &c = m.columns[i];
      entropy += c.rel_entropy;
      column_motif[row] = m.number;
      position[row] = static_cast<int>(i + 1);
      column_entropy[row] = c.rel_entropy;
      column_llr[row] = c.llr;
      log_pvalue[row] = c.log_pvalue;
      // At most 0, as in the reports: a column at the background can read a hair above 1.
      const double value = c.log_pvalue / kLn10;
      log10_pvalue[row++] = value > 0 ? 0.0 : value;
    }
    rel_entropy[k] = entropy;
  }
  const size_t nwarnings = result.warnings.size();
  Rcpp::CharacterVector file(nwarnings), message(nwarnings), text(nwarnings);
  Rcpp::NumericVector line(nwarnings);
  for (size_t i = 0; i < nwarnings; ++i) {
    const motifsig::Warning &w = result.warnings[i];
    file[i] = w.file.empty() ? NA_STRING : Rcpp::String(w.file);
    line[i] = w.line > 0 ? static_cast<double>(w.line) : NA_REAL;
    message[i] = w.message;
    text[i] = w.text();
  }
  return Rcpp::List::create(
      Rcpp::Named("motifs") = Rcpp::List::create(
          Rcpp::Named("number") = number, Rcpp::Named("id") = id, Rcpp::Named("alt") = alt,
          Rcpp::Named("width") = width, Rcpp::Named("nsites") = nsites, Rcpp::Named("llr") = llr,
          Rcpp::Named("rel_entropy") = rel_entropy, Rcpp::Named("log_evalue") = log_evalue,
          Rcpp::Named("log10_evalue") = log10_evalue, Rcpp::Named("evalue_text") = evalue_text),
      Rcpp::Named("columns") = Rcpp::List::create(
          Rcpp::Named("motif") = column_motif, Rcpp::Named("position") = position,
          Rcpp::Named("rel_entropy") = column_entropy, Rcpp::Named("llr") = column_llr,
          Rcpp::Named("log_pvalue") = log_pvalue, Rcpp::Named("log10_pvalue") = log10_pvalue),
      Rcpp::Named("warnings") =
          Rcpp::List::create(Rcpp::Named("file") = file, Rcpp::Named("line") = line,
                             Rcpp::Named("message") = message, Rcpp::Named("text") = text));
}

const motifsig::Result &result_of(SEXP pointer) {
  Rcpp::XPtr<motifsig::Result> result(pointer);
  if (result.get() == nullptr)
    throw motifsig::Error("this result comes from an earlier R session: analyse again", 1);
  return *result;
}

}  // namespace

// [[Rcpp::export(.analyse)]]
SEXP analyse_inputs(Rcpp::List given, int strands, bool palindromic, bool anywhere, bool accurate,
                    int threads) {
  return guarded([&]() -> SEXP {
    motifsig::Inputs inputs;
    inputs.sequences_path = Rcpp::as<std::string>(given["sequences_path"]);
    inputs.fasta = Rcpp::as<bool>(given["fasta"]);
    inputs.sequence_lengths = whole_numbers(given["sequence_lengths"]);
    inputs.motifs_path = Rcpp::as<std::string>(given["motifs_path"]);
    inputs.alphabet = Rcpp::as<std::string>(given["alphabet"]);
    inputs.background = Rcpp::as<std::vector<double>>(given["background"]);
    const Rcpp::List matrices = given["matrices"];
    const Rcpp::CharacterVector ids = given["ids"], alts = given["alts"];
    for (R_xlen_t k = 0; k < matrices.size(); ++k)
      inputs.motifs.push_back(
          motif_matrix(matrices[k], Rcpp::as<std::string>(ids[k]), Rcpp::as<std::string>(alts[k])));
    inputs.sites_path = Rcpp::as<std::string>(given["sites_path"]);
    inputs.site_counts = whole_numbers(given["site_counts"]);
    inputs.background_path = Rcpp::as<std::string>(given["background_path"]);
    inputs.background_override = Rcpp::as<std::vector<double>>(given["background_override"]);

    motifsig::SearchModel model;
    model.strands = strands;
    model.palindromic = palindromic;
    model.sites = anywhere ? motifsig::SiteModel::anywhere : motifsig::SiteModel::per_sequence;
    model.pvalues = accurate ? motifsig::PvalueMethod::accurate : motifsig::PvalueMethod::lattice;
    std::unique_ptr<motifsig::Result> result = run_interruptibly(inputs, model, threads);
    Rcpp::List out = tables(*result);
    out["pointer"] = Rcpp::XPtr<motifsig::Result>(result.release(), true);
    return out;
  });
}

// [[Rcpp::export(.write)]]
SEXP write_files(SEXP pointer, std::string motif_file, std::string tsv, std::string json,
                 std::string html, std::string logos_dir, std::string command_line) {
  return guarded([&]() -> SEXP {
    motifsig::Outputs outputs;
    outputs.motif_file = motif_file;
    outputs.tsv = tsv;
    outputs.json = json;
    outputs.html = html;
    outputs.logos_dir = logos_dir;
    outputs.command_line = command_line;
    motifsig::write(result_of(pointer), outputs);
    return R_NilValue;
  });
}

// [[Rcpp::export(.column_log_pvalue)]]
SEXP column_log_pvalue(Rcpp::NumericVector counts, std::vector<double> background, bool accurate) {
  return guarded([&]() -> SEXP {
    return Rcpp::wrap(motifsig::column_log_pvalue(
        whole_numbers(counts), background,
        accurate ? motifsig::PvalueMethod::accurate : motifsig::PvalueMethod::lattice));
  });
}
