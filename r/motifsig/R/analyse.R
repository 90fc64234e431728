#' Significance of sequence motifs from their sites
#'
#' Computes every motif's E-value and every column's p-value from the motif's sites, as the
#' command-line tool does: the numbers agree to the bit. Each input is a path (plain or
#' gzip-compressed) or the data itself.
#'
#' @param sequences The sequence file (one sequence per line, or FASTA with
#'   \code{fasta = TRUE}); or the sequences as a character vector of two or more sequences,
#'   a \code{Biostrings::XStringSet}, or their lengths as a numeric vector. Only the number of
#'   sequences and their lengths count. A single string is a path.
#' @param motifs The motif file; or a list with \code{matrices}, a list of numeric matrices
#'   (one row per motif position, one column per letter, column names the alphabet; list
#'   names are the motif ids) and \code{background}, one frequency per letter.
#' @param sites The site file; or the number of sites of each motif, in the motifs' order.
#' @param strands 2 counts every site position on both strands.
#' @param palindromic With \code{strands = 2}, count a position once, for motifs that are
#'   their own reverse complement.
#' @param sites_model \code{"one-per-sequence"} (at most one site per sequence) or
#'   \code{"anywhere"}.
#' @param background \code{NULL} keeps the motifs' background; a path to lines such as
#'   \code{A 0.3}, or one frequency per letter in alphabet order, replaces it.
#' @param pvalues \code{"lattice"}, or \code{"accurate"}: every column p-value exact or
#'   within 2\%.
#' @param threads Threads for the statistics; 0 uses \code{OMP_NUM_THREADS} when set, otherwise
#'   every core.
#' @param fasta Read the sequence file as FASTA records of any number of lines.
#' @return A \code{motifsig_result}: a list with \code{motifs}, a data frame with one row per
#'   motif (number, id, alt, width, nsites, llr in nats, rel_entropy in bits, log_evalue,
#'   log10_evalue and evalue_text, the E-value as the motif file writes it); \code{columns},
#'   one row per motif column (motif, position, rel_entropy, llr, log_pvalue, log10_pvalue);
#'   and \code{warnings}, the run's warnings (file, line, message, text).
#'
#' Bad input raises an error of class \code{motifsig_error} with the tool's message and the
#' fields \code{file} and \code{line} (\code{NA} when unknown); the run's warnings are R
#' warnings of class \code{motifsig_warning}. An interrupt stops the run within milliseconds
#' and returns.
#' @examples
#' data <- system.file("extdata", package = "motifsig")
#' result <- analyse(file.path(data, "peaks.fa"), file.path(data, "motifs.txt"),
#'                   file.path(data, "sites.tsv"))
#' result
#' result$motifs[, c("number", "nsites", "evalue_text")]
#' head(result$columns)
#'
#' # Data in memory: sequence lengths, two matrices over ACGT and their site counts.
#' gg <- matrix(c(0.05, 0.05, 0.85, 0.05, 0.02, 0.02, 0.94, 0.02), ncol = 4, byrow = TRUE,
#'              dimnames = list(NULL, c("A", "C", "G", "T")))
#' at <- matrix(c(0.7, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.7), ncol = 4, byrow = TRUE,
#'              dimnames = list(NULL, c("A", "C", "G", "T")))
#' motifs <- list(matrices = list(GG = gg, AT = at), background = c(0.29, 0.21, 0.21, 0.29))
#' analyse(c(200, 180, 250, 90), motifs, c(3, 2))$motifs
#'
#' # Both strands: motif 1 is far less surprising.
#' analyse(file.path(data, "peaks.fa"), file.path(data, "motifs.txt"),
#'         file.path(data, "sites.tsv"), strands = 2)$motifs$evalue_text[1]
#' @export
analyse <- function(sequences, motifs, sites, strands = 1, palindromic = FALSE,
                    sites_model = "one-per-sequence", background = NULL, pvalues = "lattice",
                    threads = 0, fasta = FALSE) {
  if (!(identical(strands, 1) || identical(strands, 2) || identical(strands, 1L) ||
        identical(strands, 2L)))
    usage_error("strands= expected 1 or 2, not ", deparse(strands))
  palindromic <- flag(palindromic, "palindromic")
  if (palindromic && strands != 2)
    usage_error("palindromic = TRUE needs strands = 2: a site and its reverse complement count ",
                "once only when both strands are searched")
  sites_model <- choice(sites_model, c("one-per-sequence", "anywhere"), "sites_model")
  pvalues <- choice(pvalues, c("lattice", "accurate"), "pvalues")
  threads <- whole(threads, "threads")
  if (length(threads) != 1 || threads < 0 || threads > 4096)
    usage_error("threads= expected a whole number from 0 to 4096, not ", deparse(threads))

  inputs <- list(sequences_path = "", fasta = flag(fasta, "fasta"), sequence_lengths = numeric(),
                 motifs_path = "", alphabet = "", background = numeric(), matrices = list(),
                 ids = character(), alts = character(), sites_path = "",
                 site_counts = numeric(), background_path = "", background_override = numeric())
  if (is_path(sequences)) {
    inputs$sequences_path <- path(sequences, "sequences")
  } else if (methods::is(sequences, "XStringSet")) {
    inputs$sequence_lengths <- as.numeric(Biostrings::width(sequences))
  } else if (is.character(sequences)) {
    inputs$sequence_lengths <- as.numeric(nchar(sequences, type = "bytes"))
  } else {
    inputs$sequence_lengths <- whole(sequences, "sequences")
  }
  if (!is_path(sequences) && length(inputs$sequence_lengths) == 0)
    input_error("no sequences: give at least one")
  if (is_path(motifs)) {
    inputs$motifs_path <- path(motifs, "motifs")
  } else {
    inputs <- motifs_in_memory(inputs, motifs)
  }
  if (is_path(sites)) {
    inputs$sites_path <- path(sites, "sites")
  } else {
    inputs$site_counts <- whole(sites, "sites")
  }
  if (is_path(background)) {
    inputs$background_path <- path(background, "background")
  } else if (!is.null(background)) {
    inputs$background_override <- frequencies(background, "background")
  }
  raw <- library_call(.analyse(inputs, as.integer(strands), palindromic,
                               sites_model == "anywhere", pvalues == "accurate",
                               as.integer(threads)))
  result <- structure(list(motifs = as.data.frame(raw$motifs, stringsAsFactors = FALSE),
                           columns = as.data.frame(raw$columns),
                           warnings = as.data.frame(raw$warnings, stringsAsFactors = FALSE),
                           pointer = raw$pointer),
                      class = "motifsig_result")
  for (i in seq_len(nrow(result$warnings)))
    warning(condition(c("motifsig_warning", "warning"), result$warnings$text[i],
                      file = result$warnings$file[i], line = result$warnings$line[i]))
  result
}

#' @export
print.motifsig_result <- function(x, ...) {
  cat(sprintf("motifsig result: %d motifs, %d columns, %d warnings\n", nrow(x$motifs),
              nrow(x$columns), nrow(x$warnings)))
  shown <- x$motifs[, c("number", "id", "width", "nsites", "rel_entropy", "evalue_text")]
  shown$rel_entropy <- round(shown$rel_entropy, 2)
  print(shown, row.names = FALSE)
  for (text in x$warnings$text) cat("warning:", text, "\n")
  invisible(x)
}

# Motifs given in memory: list(matrices = list(id = matrix, ...), background = c(...)).
motifs_in_memory <- function(inputs, motifs) {
  if (!is.list(motifs) || !is.list(motifs$matrices) || is.null(motifs$background))
    usage_error("motifs= expected a path, or a list with `matrices` (a list of numeric ",
                "matrices) and `background`")
  matrices <- motifs$matrices
  letters <- NULL
  for (k in seq_along(matrices)) {
    m <- matrices[[k]]
    if (!is.matrix(m) || !is.numeric(m))
      usage_error("motifs= matrix ", k, " is not a numeric matrix")
    if (!is.null(colnames(m))) letters <- colnames(m)
    storage.mode(m) <- "double"
    matrices[[k]] <- m
  }
  if (is.null(letters)) letters <- names(motifs$background)
  if (is.null(letters))
    usage_error("motifs= name the letters: column names of the matrices or names of the ",
                "background")
  ids <- names(matrices) %||% rep("", length(matrices))
  inputs$alphabet <- paste(letters, collapse = "")
  inputs$background <- frequencies(motifs$background, "motifs$background")
  inputs$matrices <- unname(matrices)
  inputs$ids <- as.character(ids)
  inputs$alts <- as.character(motifs$alts %||% rep("", length(matrices)))
  inputs
}

`%||%` <- function(a, b) if (is.null(a)) b else a

is_path <- function(x) is.character(x) && length(x) == 1 && !methods::is(x, "XStringSet")

path <- function(x, what) {
  if (is.na(x) || !nzchar(x)) usage_error(what, "= expected a file name, not ", deparse(x))
  path.expand(x)
}

flag <- function(x, what) {
  if (!is.logical(x) || length(x) != 1 || is.na(x))
    usage_error(what, "= expected TRUE or FALSE, not ", deparse(x))
  x
}

choice <- function(x, choices, what) {
  if (!is.character(x) || length(x) != 1 || !(x %in% choices))
    usage_error(what, "= expected ", paste0('"', choices, '"', collapse = " or "), ", not ",
                deparse(x))
  x
}

# Whole numbers; the library checks the counts' signs, with its messages.
whole <- function(x, what) {
  if (!is.numeric(x) || anyNA(x) || any(!is.finite(x)) || any(x != round(x)))
    usage_error(what, "= expected whole numbers, not ", deparse(utils::head(x)))
  as.numeric(x)
}

frequencies <- function(x, what) {
  if (!is.numeric(x) || anyNA(x))
    usage_error(what, "= expected one frequency per letter, not ", deparse(utils::head(x)))
  as.numeric(x)
}
