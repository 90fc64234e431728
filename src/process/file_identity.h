// Which file a path reaches, so that two spellings of one file (relative and absolute,
// "sub/../x", a symbolic or a hard link, /dev/stdout and /dev/fd/1) are told from two files.
#pragma once

#include <sys/types.h>

#include <string>

struct FileIdentity {
  bool exists = false;   // the path reaches an existing file
  bool regular = false;  // a regular file, or none yet (writing creates a regular one)
  // The file's device and inode; for a file not there yet, those of the directory it would be
  // made in, together with its name there. A directory that is not there either leaves the
  // path itself (links followed) in `name`.
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
};

FileIdentity identify_file(const std::string &path);
bool same_file(const FileIdentity &a, const FileIdentity &b);

// The file that writing to `path` reaches: symbolic links are followed, as a shell redirection
// follows them, even to a name that does not exist yet. False with errno ELOOP when the links
// go round.
bool follow_links(const char *path, std::string &target);

// `target` split at its last slash: the directory ("." when there is none) and the name.
void split_path(const std::string &target, std::string &directory, std::string &name);
