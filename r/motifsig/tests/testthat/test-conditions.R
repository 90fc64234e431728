test_that("bad input raises motifsig_error with the tool's message, file and line", {
  bad <- tempfile(fileext = ".txt")
  lines <- readLines(DNA[2])
  lines[11] <- sub("0.9  0.03  0.04", "0.9  0.03  x", lines[11])  # row 3 of motif 1
  writeLines(lines, bad)
  error <- tryCatch(analyse(DNA[1], bad, DNA[3]), motifsig_error = identity)
  expect_identical(c(error$file, error$line), c(bad, 11))
  expect_identical(error$exit_status, 1L)
  expect_identical(analyse(DNA[1], DNA[2], DNA[3])$motifs$nsites, c(30, 12, 6))  # goes on
  data <- in_memory(DNA)
  data$motifs$matrices[[2]][1, ] <- 0.5
  error <- tryCatch(analyse(data$sequences, data$motifs, data$sites), motifsig_error = identity)
  expect_match(conditionMessage(error), "motif 2")
  expect_true(is.na(error$file) && is.na(error$line))
  for (call in list(quote(analyse(DNA[1], DNA[2], DNA[3], strands = 3)),
                    quote(analyse(DNA[1], DNA[2], DNA[3], palindromic = TRUE)),
                    quote(column_pvalue(c(1, -1), c(0.5, 0.5)))))
    expect_error(eval(call), class = "motifsig_error")
  run <- tool(DNA[1], bad, DNA[3], nullfile())
  expect_identical(run$stderr, paste("motifsig:", conditionMessage(
    tryCatch(analyse(DNA[1], bad, DNA[3]), motifsig_error = identity))))
})

test_that("the run's warnings are R warnings with file and line", {
  wrapped <- tempfile(fileext = ".fa")
  writeLines(sub("^([A-Z]{60})", "\\1\n", readLines(DNA[1])), wrapped)
  caught <- list()
  result <- withCallingHandlers(analyse(wrapped, DNA[2], DNA[3]), motifsig_warning = function(w) {
    caught[[length(caught) + 1]] <<- w
    invokeRestart("muffleWarning")
  })
  expect_length(caught, nrow(result$warnings))
  expect_identical(c(caught[[1]]$file, caught[[1]]$line), c(wrapped, 1))
  expect_identical(conditionMessage(caught[[1]]), result$warnings$text[1])
  expect_silent(analyse(wrapped, DNA[2], DNA[3], fasta = TRUE))
})

test_that("an interrupt stops a long analysis at once and the session goes on", {
  skip_on_os("windows")
  script <- tempfile(fileext = ".R")
  writeLines(c(
    "library(motifsig)",
    "m <- list(matrices = list(matrix(rep(c(0.7, 0.1, 0.1, 0.1), 8), ncol = 4, byrow = TRUE,",
    "  dimnames = list(NULL, c('A', 'C', 'G', 'T')))), background = rep(0.25, 4))",
    "cat(Sys.getpid(), '\\n')",
    "tryCatch(analyse(rep(1000, 60000), m, 30000, threads = 1),",  # 10 s uninterrupted
    "         interrupt = function(e) cat('interrupted\\n'))",
    # The processor time the process (every thread) uses while R sleeps: none once stopped.
    "before <- proc.time()",
    "Sys.sleep(1)",
    "cat(sum((proc.time() - before)[c('user.self', 'sys.self')]), '\\n')",
    "cat(column_pvalue(c(3, 0, 0, 1), rep(0.25, 4)) < 0, '\\n')"), script)
  out <- tempfile()
  lines <- function() if (file.exists(out)) readLines(out, warn = FALSE) else character()
  system2(file.path(R.home("bin"), "Rscript"), shQuote(script), stdout = out, stderr = FALSE,
          wait = FALSE)
  started <- Sys.time()
  while (length(lines()) < 1 && Sys.time() - started < 60) Sys.sleep(0.05)
  Sys.sleep(1)
  interrupted <- Sys.time()
  tools::pskill(as.integer(lines()[1]), tools::SIGINT)
  while (length(lines()) < 2 && Sys.time() - interrupted < 30) Sys.sleep(0.05)
  expect_lt(as.numeric(Sys.time() - interrupted, units = "secs"), 2)
  while (length(lines()) < 4 && Sys.time() - interrupted < 30) Sys.sleep(0.05)
  expect_identical(lines()[c(2, 4)], c("interrupted", "TRUE "))
  expect_lt(as.numeric(lines()[3]), 0.25)  # an abandoned run would use about 1 s
})
