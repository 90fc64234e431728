#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_files.h"

RunResult run_tool(const std::vector<std::string> &args, const std::vector<std::string> &env) {
  TempDir scratch;
  std::string command;
  for (const std::string &assignment : env) command += assignment + ' ';
  command += "'" MOTIFSIG_EXE "'";
  for (const std::string &arg : args) command += " '" + arg + "'";
  command += " >'" + scratch.path("out") + "' 2>'" + scratch.path("err") + "' </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(scratch.path("out")),
          read_file(scratch.path("err"))};
}
