// Writes a whole file or nothing. The text goes to a temporary file beside the target that is
// renamed into place once complete, so a failed or interrupted run leaves an earlier file as it
// was and no temporary file behind. A replaced file keeps its permission bits; a new one gets
// 0666 less the umask. A symbolic link is followed to the file it names, which is created if
// it does not exist yet. A target that exists and is not a regular file (a terminal, a pipe,
// /dev/stdout) is written directly.
#pragma once

#include <string>
#include <vector>

struct OutputFile {
  std::string path;
  std::string text;
};

// Writes every file, all of them or none: each goes to its temporary file first, and only when
// all are complete are they renamed into place. Any failure is reported against the path and
// stops the run, removing every temporary file.
void write_files_atomically(const std::vector<OutputFile> &files);
