// Writes a whole set of files or nothing. Each text goes to a temporary file in the directory of
// its target, which takes its place once every file is complete, so a failed or interrupted run
// leaves the earlier files as they were and no temporary file behind. A replaced file keeps its
// permission bits; a new one gets 0666 less the umask. A symbolic link is followed to the file
// it names, which is created if it does not exist yet. A target that exists and is not a
// regular file (a terminal, a pipe, /dev/stdout) is written directly, before any file is
// replaced. A path of "-" is standard output, written directly too.
#pragma once

#include <string>
#include <vector>

struct OutputFile {
  std::string path;
  std::string text;
};

// Writes every file, all of them or none: each goes to its temporary file first, and only when
// all are complete, and every direct target written, do they take their places, all of them
// while signals wait; one that cannot is reported after the others are put back. Any failure
// is thrown as an Error against the path, once every temporary file is removed. Several
// threads may write sets of files at once.
void write_files_atomically(const std::vector<OutputFile> &files);
