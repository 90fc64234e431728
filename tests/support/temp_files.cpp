#include "support/temp_files.h"

#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir(const char *base) {
  if (base == nullptr) base = std::getenv("TMPDIR");
  std::string pattern = std::string(base ? base : "/tmp") + "/motifsig-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  dir_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::path(const std::string &name) const { return dir_ + "/" + name; }

std::string TempDir::write(const std::string &name, const std::string &content) const {
  const std::string p = path(name);
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  if (!(out << content) || !out.flush()) throw std::runtime_error("cannot write " + p);
  return p;
}

std::vector<std::string> TempDir::files() const {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(dir_))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string gzip_bytes(const std::string &text) {
  const TempDir dir;
  gzFile file = gzopen(dir.path("packed").c_str(), "wb");
  gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
  gzclose(file);
  return read_file(dir.path("packed"));
}

#ifdef MOTIFSIG_EXE  // the path of the built tool, which only the suite is given
RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env) {
  TempDir scratch;
  std::string command;
  for (const std::string &word : env) command += word + ' ';
  command += "'" MOTIFSIG_EXE "'";
  for (const std::string &arg : args) command += " '" + arg + "'";
  command += " >'" + scratch.path("out") + "' 2>'" + scratch.path("err") + "' </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(scratch.path("out")),
          read_file(scratch.path("err"))};
}
#endif
