// Scratch files for the tests and the fuzz targets, and runs of the built executable.
#pragma once

#include <string>
#include <vector>

// A fresh directory under `base` (TMPDIR or /tmp when null), removed with its files at the end.
class TempDir {
 public:
  explicit TempDir(const char *base = nullptr);
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  std::string path(const std::string &name) const;  // of `name` inside the directory
  // Writes `content` to `name` and returns its path; throws if it cannot.
  std::string write(const std::string &name, const std::string &content) const;
  std::vector<std::string> files() const;  // names of the files in it, sorted

 private:
  std::string dir_;
};

std::string read_file(const std::string &path);   // its whole content; empty if unreadable
std::string gzip_bytes(const std::string &text);  // `text` compressed in the gzip format

struct RunResult {
  int status;  // exit status, or -1 if the process did not exit normally
  std::string out, err;
};

// Runs the motifsig executable with `args` (no quote marks in them), with shell words such as
// "LC_ALL=C" or "ulimit -f 1;" before it, capturing its output. For the suite only.
RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env = {});
