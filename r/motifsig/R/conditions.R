#' Errors and warnings of motifsig
#'
#' A fault raises an R error of class \code{c("motifsig_error", "error", "condition")}: its
#' message is the tool's, without the \code{motifsig: } prefix; \code{file} and \code{line}
#' say where the fault is (\code{NA} when it is not in a file, or at no particular line), and
#' \code{exit_status} is the tool's exit status for it (1 for bad input or a failed output, 2
#' for a bad argument). A warning (valid input that is probably a mistake) is an R warning of
#' class \code{motifsig_warning} with the same fields.
#' @name motifsig_error
#' @examples
#' data <- system.file("extdata", package = "motifsig")
#' broken <- tempfile(fileext = ".txt")
#' lines <- readLines(file.path(data, "motifs.txt"))
#' lines[11] <- "  0.9  0.03  x  0.03"
#' writeLines(lines, broken)
#' tryCatch(analyse(file.path(data, "peaks.fa"), broken, file.path(data, "sites.tsv")),
#'          motifsig_error = function(e) cat(e$file, e$line, conditionMessage(e), "\n"))
#' unlink(broken)
NULL

condition <- function(class, message, file = NA_character_, line = NA_real_,
                      exit_status = 1L, call = NULL) {
  structure(class = c(class, "condition"),
            list(message = message, call = call, file = file, line = line,
                 exit_status = exit_status))
}

input_error <- function(...) {
  stop(condition(c("motifsig_error", "error"), paste0(...), exit_status = 1L))
}

usage_error <- function(...) {
  stop(condition(c("motifsig_error", "error"), paste0(...), exit_status = 2L))
}

# The value of a call into the compiled code, or its fault as an R condition.
library_call <- function(value) {
  if (inherits(value, "motifsig_failure"))
    stop(condition(c("motifsig_error", "error"), value$message, file = value$file,
                   line = value$line, exit_status = value$exit_status))
  if (inherits(value, "motifsig_interrupt")) {
    # The interrupt the run stopped for, passed on as R passes one on: handlers first, then
    # back to the top level.
    signalCondition(structure(class = c("interrupt", "condition"), list()))
    invokeRestart("abort")
  }
  value
}
