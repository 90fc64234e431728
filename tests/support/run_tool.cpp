#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/temp_files.h"

RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env) {
  TempDir scratch;
  const std::string out_path = scratch.path("stdout"), err_path = scratch.path("stderr");
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(out_path.c_str(), "w", stdout) || !freopen(err_path.c_str(), "w", stderr))
      _exit(127);
    for (const std::string &assignment : env) putenv(const_cast<char *>(assignment.c_str()));
    std::vector<char *> argv{const_cast<char *>(MOTIFSIG_EXE)};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(MOTIFSIG_EXE, argv.data());
    _exit(127);
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, read_file(out_path),
          read_file(err_path)};
}
