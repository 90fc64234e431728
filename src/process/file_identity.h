// Which file a path reaches, so that two spellings of one file (relative and absolute,
// "sub/../x", a symbolic or a hard link, /dev/stdout and /dev/fd/1) are told from two files.
#pragma once

#include <sys/types.h>

#include <string>

struct FileIdentity {
  bool exists = false;   // the path reaches an existing file
  bool regular = false;  // a regular file, or none yet (writing creates a regular one)
  // The file's device and inode; for a file not there yet, those of the deepest existing
  // directory on its path, together with the rest of the path from there in `name`.
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
};

// An output path of "-" is standard output.
inline bool is_standard_output(const std::string &path) { return path == "-"; }

// The file `path` reaches. A path not there yet is known by the deepest directory on it that
// exists and the rest of the path, "." and empty parts left out, so that "./L/x", "L//x" and
// "L/x" are one file before L is made.
FileIdentity identify_file(const std::string &path);
// The file standard output is, for an output given as "-".
FileIdentity identify_standard_output();
bool same_file(const FileIdentity &a, const FileIdentity &b);

// The file that writing to `path` reaches: symbolic links are followed, as a shell redirection
// follows them, even to a name that does not exist yet. False with errno ELOOP when the links
// go round.
bool follow_links(const char *path, std::string &target);

// `target` split at its last slash: the directory ("." when there is none) and the name.
void split_path(const std::string &target, std::string &directory, std::string &name);
