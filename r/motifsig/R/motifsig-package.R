#' motifsig: significance of sequence motifs from their sites
#'
#' \code{\link{analyse}} computes every motif's E-value and every column's p-value from the
#' motif's sites, the numbers of the motifsig tool to the bit; \code{\link{write_results}}
#' writes the tool's files; \code{\link{column_pvalue}} gives one column's p-value. Faults are
#' \code{\link{motifsig_error}} conditions. The package is built on the motifsig C++ library.
#' @keywords internal
#' @useDynLib motifsig, .registration = TRUE
#' @importFrom Rcpp sourceCpp
"_PACKAGE"
