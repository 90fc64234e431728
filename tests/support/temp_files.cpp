#include "support/temp_files.h"

#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
  const char *base = std::getenv("TMPDIR");
  std::string pattern = std::string(base ? base : "/tmp") + "/motifsig-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
}

TempDir::~TempDir() {
  std::string command = "rm -rf '" + dir_ + "'";
  if (std::system(command.c_str()) != 0) {
  }
}

std::string TempDir::path(const std::string &name) const { return dir_ + "/" + name; }

std::string TempDir::write(const std::string &name, const std::string &content) const {
  std::string p = path(name);
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool file_exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env) {
  TempDir scratch;
  std::string out_path = scratch.path("stdout"), err_path = scratch.path("stderr");
  pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(out_path.c_str(), "w", stdout) || !freopen(err_path.c_str(), "w", stderr)) _exit(127);
    for (const std::string &assignment : env) putenv(const_cast<char *>(assignment.c_str()));
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(MOTIFSIG_EXE));
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(MOTIFSIG_EXE, argv.data());
    _exit(127);
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  RunResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

std::string gzip_bytes(const std::string &text) {
  std::string out(compressBound(text.size()) + 64, '\0');
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);  // 15 + 16: gzip wrapper
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef *>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}
