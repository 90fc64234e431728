// Writes a whole file or nothing. The text goes to a temporary file beside the target that is
// renamed into place once complete, so a failed or interrupted run leaves an earlier file as it
// was and no temporary file behind. A replaced file keeps its permission bits; a new one gets
// 0666 less the umask. A symbolic link is followed to the file it names, which is created if
// it does not exist yet. A target that exists and is not a regular file (a terminal, a pipe,
// /dev/stdout) is written directly.
#pragma once

#include <string>

// Writes `text` to `path`; any failure is reported against the path and stops the run.
void write_file_atomically(const char *path, const std::string &text);
