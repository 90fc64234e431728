// Scratch files for the tests and the fuzz targets, and runs of the built executable.
#pragma once

#include <string>
#include <vector>

// A fresh directory under `base` (TMPDIR or /tmp when null), removed with its files when the
// object goes.
class TempDir {
 public:
  explicit TempDir(const char *base = nullptr);
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // Path of `name` inside the directory.
  std::string path(const std::string &name) const;
  // Writes `content` to `name` and returns its path; throws if it cannot.
  std::string write(const std::string &name, const std::string &content) const;
  // Names of the files in the directory, sorted.
  std::vector<std::string> files() const;

 private:
  std::string dir_;
};

// The whole content of a file; empty if it cannot be read.
std::string read_file(const std::string &path);

// `text` compressed in the gzip format.
std::string gzip_bytes(const std::string &text);

struct RunResult {
  int status;  // exit status, or -1 if the process did not exit normally
  std::string out;
  std::string err;
};

// Runs the motifsig executable with `args` (no quote marks in them) and `env` (assignments such
// as "LC_ALL=C"), capturing its output. Defined in run_tool.cpp, which only the suite links.
RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env = {});
