// What a row of the whole-tool table cannot say: signals arriving while the output is written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

// Where a run is caught: the system call it is about to make.
enum class Call { kCreateTemporary, kSync, kRename };

bool is_call(const __ptrace_syscall_info &info, Call call) {
  if (info.op != PTRACE_SYSCALL_INFO_ENTRY) return false;
  const auto nr = info.entry.nr;
  if (call == Call::kCreateTemporary) return nr == SYS_openat && (info.entry.args[2] & O_EXCL);
  if (call == Call::kSync) return nr == SYS_fsync;
#ifdef SYS_rename
  if (nr == SYS_rename) return true;
#endif
  return nr == SYS_renameat || nr == SYS_renameat2;
}

// Runs the tool under ptrace, with default signal actions and standard error to `err`, up to
// its first `call`, and sends it `sig` there. Returns the wait status of the run, or -1 when
// this system does not allow ptrace.
int signal_at(Call call, int sig, const std::vector<std::string> &args, const std::string &err) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
    std::vector<char *> argv{const_cast<char *>(MOTIFSIG_EXE)};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    if (freopen("/dev/null", "w", stdout) && freopen(err.c_str(), "w", stderr) &&
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 && raise(SIGSTOP) == 0)
      execv(MOTIFSIG_EXE, argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status) ||
      ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  long pass_on = 0;  // a signal the run got on its way, delivered as usual
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, pass_on) != 0) kill(pid, SIGKILL);
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return status;  // no such call
    const int stop = WSTOPSIG(status);
    pass_on = stop == SIGTRAP || stop == (SIGTRAP | 0x80) ? 0 : stop;
    __ptrace_syscall_info info{};
    if (stop == (SIGTRAP | 0x80) && ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0 &&
        is_call(info, call)) {
      kill(pid, sig);
      ptrace(PTRACE_DETACH, pid, nullptr, 0);
      waitpid(pid, &status, 0);
      return status;
    }
  }
}

// A signal while the temporary file is created, written or renamed ends the run by that signal
// and leaves the directory with one complete output: the earlier one, or, once renamed, the new.
TEST(Faults, SignalWhileWritingLeavesNoTemporaryFile) {
  TempDir dir, out_dir;
  const std::string out = out_dir.path("out.txt");
  const std::vector<std::string> args = {MOTIFSIG_EXAMPLES "/peaks.fa",
                                         MOTIFSIG_EXAMPLES "/motifs.txt",
                                         MOTIFSIG_EXAMPLES "/sites.tsv", out};
  const struct {
    Call call;
    const char *what, *output_starts;
  } moments[] = {{Call::kCreateTemporary, "creating", "earl"},
                 {Call::kSync, "syncing", "earl"},
                 {Call::kRename, "renaming", "VORL"}};
  for (const auto &moment : moments) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(std::string(strsignal(sig)) + " while " + moment.what);
      out_dir.write("out.txt", "earlier\n");
      const int status = signal_at(moment.call, sig, args, dir.path("err"));
      if (status == -1) GTEST_SKIP() << "ptrace is not allowed here";
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig)
          << "wait status " << status << ": " << read_file(dir.path("err"));
      EXPECT_EQ(out_dir.files(), std::vector<std::string>{"out.txt"});
      EXPECT_EQ(read_file(out).substr(0, 4), moment.output_starts);
    }
  }
}

}  // namespace
