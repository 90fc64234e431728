#' Write the tool's files for a result
#'
#' Writes the motif file \code{output} and the reports asked for, byte for byte as the tool
#' writes them. Either every file is written or none is: each goes to a temporary file first,
#' renamed into place only when all are complete.
#'
#' @param result A result of \code{\link{analyse}} from this R session.
#' @param output The motif file, with each motif's site count and E-value.
#' @param tsv,json,html The tool's \code{--tsv}, \code{--json} and \code{--html} reports;
#'   \code{NULL} writes none.
#' @param logos A directory for one SVG logo per motif; \code{NULL} writes none.
#' @param command_line The command line shown in the JSON and HTML reports.
#' @return \code{result}, invisibly. A file that cannot be written, or two paths that are
#'   one file, raise a \code{motifsig_error} and no file is written.
#' @examples
#' data <- system.file("extdata", package = "motifsig")
#' result <- analyse(file.path(data, "peaks.fa"), file.path(data, "motifs.txt"),
#'                   file.path(data, "sites.tsv"))
#' out <- tempfile()
#' dir.create(out)
#' write_results(result, file.path(out, "motifs.txt"), tsv = file.path(out, "motifs.tsv"),
#'               html = file.path(out, "report.html"))
#' read.delim(file.path(out, "motifs.tsv"))[, c("motif", "nsites", "evalue")]
#' unlink(out, recursive = TRUE)
#' @export
write_results <- function(result, output, tsv = NULL, json = NULL, html = NULL, logos = NULL,
                          command_line = "") {
  if (!inherits(result, "motifsig_result"))
    usage_error("result= expected a result of analyse()")
  paths <- list(output = output, tsv = tsv, json = json, html = html, logos = logos)
  paths <- lapply(names(paths), function(name)
    if (is.null(paths[[name]])) "" else path(paths[[name]], name))
  library_call(.write(result$pointer, paths[[1]], paths[[2]], paths[[3]], paths[[4]],
                      paths[[5]], as.character(command_line)))
  invisible(result)
}

#' The p-value of one alignment column
#'
#' The natural log of the p-value of one column's log-likelihood ratio, from its letter counts,
#' under \code{sum(counts)} letters drawn from \code{background}: what the tool computes for a
#' motif's column. It is never above 0.
#'
#' @param counts How often each letter occurs in the column, in alphabet order.
#' @param background The letters' frequencies (rescaled to sum 1).
#' @param pvalues \code{"lattice"}, or \code{"accurate"} for a p-value exact or within 2\%.
#' @return The natural log of the p-value.
#' @examples
#' column_pvalue(c(3, 0, 0, 1), c(0.4, 0.1, 0.1, 0.4))
#' column_pvalue(c(30, 0, 0, 0), rep(0.25, 4), pvalues = "accurate") / log(10)
#' @export
column_pvalue <- function(counts, background, pvalues = "lattice") {
  pvalues <- choice(pvalues, c("lattice", "accurate"), "pvalues")
  value <- library_call(.column_log_pvalue(whole(counts, "counts"),
                                           frequencies(background, "background"),
                                           pvalues == "accurate"))
  min(value, 0)
}
