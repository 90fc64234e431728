// Scratch files for tests, and runs of the built executable.
#pragma once

#include <string>
#include <vector>

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // Path of `name` inside the directory.
  std::string path(const std::string &name) const;
  // Writes `content` to `name` and returns its path.
  std::string write(const std::string &name, const std::string &content) const;

 private:
  std::string dir_;
};

// The whole content of a file; empty if it cannot be read.
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);

// `text` compressed in the gzip format.
std::string gzip_bytes(const std::string &text);

struct RunResult {
  int status;  // exit status, or -1 if the process did not exit normally
  std::string out;
  std::string err;
};

// Runs the motifsig executable with `args`, in `env` (assignments such as "LC_ALL=C", may be
// empty), capturing its output.
RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env = {});
