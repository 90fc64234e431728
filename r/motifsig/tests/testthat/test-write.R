test_that("write_results gives the tool's files byte for byte, all of them or none", {
  # The reports name the output files: both write into "out", the tool's renamed after.
  top <- tempfile()
  dirs <- file.path(top, c("tool", "out"))
  dir.create(dirs[2], recursive = TRUE)
  p <- file.path(dirs[2], c("out.txt", "motifs.tsv", "report.json", "report.html", "logos"))
  run <- tool("--tsv", p[2], "--json", p[3], "--html", p[4], "--logos", p[5], PROTEIN, p[1])
  file.rename(dirs[2], dirs[1])
  dir.create(dirs[2])
  result <- analyse(PROTEIN[1], PROTEIN[2], PROTEIN[3])
  write_results(result, p[1], tsv = p[2], json = p[3], html = p[4], logos = p[5],
                command_line = run$command_line)
  listed <- lapply(dirs, list.files, recursive = TRUE)
  expect_identical(listed[[2]], listed[[1]])
  expect_length(listed[[1]], 6)
  for (name in listed[[1]])
    expect_identical(readBin(file.path(dirs[2], name), "raw", 1e6),
                     readBin(file.path(dirs[1], name), "raw", 1e6), label = name)

  empty <- file.path(top, "empty")
  dir.create(empty)
  for (json in c(file.path(top, "missing", "report.json"), file.path(empty, "out.txt"))) {
    error <- tryCatch(write_results(result, file.path(empty, "out.txt"),
                                    tsv = file.path(empty, "motifs.tsv"), json = json),
                      motifsig_error = identity)
    expect_s3_class(error, "motifsig_error")
  }
  expect_length(list.files(empty), 0)
  unlink(top, recursive = TRUE)
})
