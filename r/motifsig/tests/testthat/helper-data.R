# The bundled examples, the tool to compare with (MOTIFSIG_EXE; its comparisons are skipped
# without it) and the examples' inputs as data in memory.
extdata <- function(...) system.file("extdata", ..., package = "motifsig", mustWork = TRUE)
DNA <- extdata(c("peaks.fa", "motifs.txt", "sites.tsv"))
PROTEIN <- extdata("protein", c("proteins.fa", "motifs.txt", "sites.tsv"))
Sys.setenv(SOURCE_DATE_EPOCH = "1796547600")  # the tool and the library date reports alike

tool <- function(...) {
  exe <- Sys.getenv("MOTIFSIG_EXE")
  skip_if(exe == "", "MOTIFSIG_EXE does not name the tool")
  args <- c("-q", ...)
  stderr <- suppressWarnings(system2(exe, shQuote(args), stdout = FALSE, stderr = TRUE))
  list(status = attr(stderr, "status") %||% 0L, stderr = as.vector(stderr),
       command_line = paste(c(exe, args), collapse = " "))
}

tool_table <- function(...) {
  tsv <- tempfile(fileext = ".tsv")
  on.exit(unlink(tsv))
  expect_equal(tool("--tsv", tsv, ..., nullfile())$status, 0L)
  utils::read.delim(tsv, colClasses = "character")
}

# Every number of the tool's table, to the bit.
expect_as_tool <- function(result, table) {
  m <- result$motifs
  expect_identical(m$evalue_text, table$evalue)
  for (name in c("llr", "rel_entropy", "log10_evalue"))
    expect_identical(m[[name]], as.numeric(table[[name]]), label = name)
  expect_identical(m$nsites, as.numeric(table$nsites))
}

# The inputs of the files `paths` as data: sequences, matrices with their background, counts.
in_memory <- function(paths) {
  lines <- readLines(paths[2])
  alphabet <- strsplit(sub("^ALPHABET= *", "", grep("^ALPHABET=", lines, value = TRUE)), "")[[1]]
  background <- strsplit(trimws(lines[grep("^Background", lines) + 1]), " +")[[1]]
  starts <- grep("letter-probability", lines)
  widths <- as.integer(sub(".* w= *([0-9]+).*", "\\1", lines[starts]))
  matrices <- Map(function(start, width) {
    rows <- strsplit(trimws(lines[start + seq_len(width)]), " +")
    matrix(as.numeric(unlist(rows)), ncol = length(alphabet), byrow = TRUE,
           dimnames = list(NULL, alphabet))
  }, starts, widths)
  names(matrices) <- sub("^MOTIF +", "", lines[starts - 1])
  sequences <- grep("^>", readLines(paths[1]), value = TRUE, invert = TRUE)
  sites <- utils::read.delim(paths[3])[[1]]
  list(sequences = sequences,
       motifs = list(matrices = matrices, background = as.numeric(background[c(FALSE, TRUE)])),
       sites = tabulate(sites, length(matrices)))
}
