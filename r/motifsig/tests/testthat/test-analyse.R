test_that("the examples give the tool's E-values from paths and from data in memory", {
  expected <- list(c("3.70728e-26", "1.19049e32", "2.29106e17"), NULL)
  for (i in 1:2) {
    paths <- list(DNA, PROTEIN)[[i]]
    result <- analyse(paths[1], paths[2], paths[3], threads = 1)
    if (!is.null(expected[[i]])) expect_identical(result$motifs$evalue_text, expected[[i]])
    data <- in_memory(paths)
    inputs <- list(data, list(nchar(data$sequences), paths[2], data$sites))
    if (requireNamespace("Biostrings", quietly = TRUE))
      inputs[[3]] <- list(Biostrings::BStringSet(data$sequences), data$motifs, paths[3])
    for (given in inputs)
      expect_identical(analyse(given[[1]], given[[2]], given[[3]])$motifs, result$motifs)
    expect_identical(sum(result$motifs$width), nrow(result$columns))
    expect_as_tool(result, tool_table(paths))
  }
})

test_that("the search model and another background change the E-values as the tool's do", {
  both <- analyse(DNA[1], DNA[2], DNA[3], strands = 2)
  expect_identical(both$motifs$evalue_text[1], "3.98066e-17")
  anywhere <- analyse(DNA[1], DNA[2], DNA[3], sites_model = "anywhere")
  expect_identical(anywhere$motifs$evalue_text[1], "2.89998e-22")
  expect_as_tool(both, tool_table("--strands", "2", DNA))
  background <- c(0.4, 0.1, 0.1, 0.4)
  other <- analyse(DNA[1], DNA[2], DNA[3], background = background)
  file <- tempfile()
  writeLines(paste(c("A", "C", "G", "T"), background), file)
  expect_identical(analyse(DNA[1], DNA[2], DNA[3], background = file)$motifs, other$motifs)
  expect_as_tool(other, tool_table("--background", file, DNA))
})

test_that("accurate p-values change the E-values and column p-values only", {
  lattice <- analyse(DNA[1], DNA[2], DNA[3])
  accurate <- analyse(DNA[1], DNA[2], DNA[3], pvalues = "accurate")
  same <- c("number", "id", "width", "nsites", "llr", "rel_entropy")
  expect_identical(accurate$motifs[same], lattice$motifs[same])
  expect_identical(accurate$columns[1:4], lattice$columns[1:4])
  expect_false(identical(accurate$motifs$evalue_text, lattice$motifs$evalue_text))
  expect_as_tool(accurate, tool_table("--pvalues", "accurate", DNA))
})

test_that("a column's p-value alone equals that column in a motif", {
  background <- c(A = 0.4, C = 0.1, G = 0.1, T = 0.4)
  column <- list(matrices = list(matrix(c(0.75, 0, 0, 0.25), nrow = 1)), background = background)
  for (method in c("lattice", "accurate")) {
    motif <- analyse(rep(20, 5), column, 4, pvalues = method)
    expect_identical(column_pvalue(c(3, 0, 0, 1), background, pvalues = method),
                     motif$columns$log_pvalue)
    expect_lt(motif$columns$log_pvalue, 0)
  }
  expect_identical(column_pvalue(c(5, 5, 5, 5), c(1, 1, 1, 1)), 0)
})
