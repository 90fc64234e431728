// What a row of the whole-tool table cannot say: signals arriving while the outputs are
// written, system calls failing there, and names at the file system's limits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

// Where a run is caught: the system call it is about to make.
enum class Call { kCreateTemporary, kSync, kRename, kChmod };

bool is_call(const __ptrace_syscall_info &info, Call call) {
  if (info.op != PTRACE_SYSCALL_INFO_ENTRY) return false;
  const auto nr = info.entry.nr;
  if (call == Call::kCreateTemporary) return nr == SYS_openat && (info.entry.args[2] & O_EXCL);
  if (call == Call::kSync) return nr == SYS_fsync;
  if (call == Call::kChmod) return nr == SYS_fchmod;
#ifdef SYS_rename
  if (nr == SYS_rename) return true;
#endif
  return nr == SYS_renameat || nr == SYS_renameat2;
}

// What happens at the `nth` call of a kind: signal `sig` arrives, or, with `error`, the call is
// not made and fails with that errno.
struct Fault {
  Call call;
  int nth = 1;
  int sig = 0;
  int error = 0;
};

// Makes the stopped call fail with `error` and lets the run go on untraced.
bool fail_call(pid_t pid, int error) {
#if defined(__x86_64__)
  user_regs_struct regs{};
  int status = 0;
  if (ptrace(PTRACE_GETREGS, pid, nullptr, &regs) != 0) return false;
  regs.orig_rax = static_cast<unsigned long long>(-1);  // no such call: it is skipped
  if (ptrace(PTRACE_SETREGS, pid, nullptr, &regs) != 0 ||
      ptrace(PTRACE_SYSCALL, pid, nullptr, 0) != 0 || waitpid(pid, &status, 0) != pid ||
      ptrace(PTRACE_GETREGS, pid, nullptr, &regs) != 0)
    return false;
  regs.rax = static_cast<unsigned long long>(-error);
  return ptrace(PTRACE_SETREGS, pid, nullptr, &regs) == 0 &&
         ptrace(PTRACE_DETACH, pid, nullptr, 0) == 0;
#else
  (void)pid, (void)error;
  return false;
#endif
}

// Runs the tool under ptrace, with default signal actions and standard error to `err`, up to
// the fault. Returns the wait status of the run, or -1 when this system does not allow ptrace
// (or, for a failing call, is not x86-64).
int run_with_fault(const Fault &fault, const std::vector<std::string> &args,
                   const std::string &err) {
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
  int seen = 0;
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, pass_on) != 0) kill(pid, SIGKILL);
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return status;  // no such call
    const int stop = WSTOPSIG(status);
    pass_on = stop == SIGTRAP || stop == (SIGTRAP | 0x80) ? 0 : stop;
    __ptrace_syscall_info info{};
    if (stop == (SIGTRAP | 0x80) && ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0 &&
        is_call(info, fault.call) && ++seen == fault.nth) {
      if (fault.error != 0) {
        if (!fail_call(pid, fault.error)) {
          kill(pid, SIGKILL);
          waitpid(pid, &status, 0);
          return -1;
        }
      } else {
        kill(pid, fault.sig);
        ptrace(PTRACE_DETACH, pid, nullptr, 0);
      }
      waitpid(pid, &status, 0);
      return status;
    }
  }
}

// `args`, the example's three inputs, and the output file.
std::vector<std::string> example_run(std::vector<std::string> args, const std::string &output) {
  for (const char *input : {"/peaks.fa", "/motifs.txt", "/sites.tsv"})
    args.push_back(MOTIFSIG_EXAMPLES + std::string(input));
  args.push_back(output);
  return args;
}

// A signal while a temporary file is created, written or renamed ends the run by that signal
// and leaves the directory with one complete set of outputs: the earlier one, or, once the
// first rename has begun, the new one; the signal waits for the renames that follow.
TEST(Faults, SignalWhileWritingLeavesOneCompleteSet) {
  TempDir dir, out_dir;
  const std::string out = out_dir.path("out.txt"), tsv = out_dir.path("r.tsv");
  const std::vector<std::string> args = example_run({"--tsv", tsv}, out);
  const struct {
    Call call;
    const char *what, *output_starts, *table_starts;
  } moments[] = {{Call::kCreateTemporary, "creating", "earl", "earl"},
                 {Call::kSync, "syncing", "earl", "earl"},
                 {Call::kRename, "renaming", "VORL", "moti"}};
  for (const auto &moment : moments) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(std::string(strsignal(sig)) + " while " + moment.what);
      out_dir.write("out.txt", "earlier\n");
      out_dir.write("r.tsv", "earlier\n");
      const int status = run_with_fault({moment.call, 1, sig}, args, dir.path("err"));
      if (status == -1) GTEST_SKIP() << "ptrace is not allowed here";
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig)
          << "wait status " << status << ": " << read_file(dir.path("err"));
      EXPECT_EQ(out_dir.files(), (std::vector<std::string>{"out.txt", "r.tsv"}));
      EXPECT_EQ(read_file(out).substr(0, 4), moment.output_starts);
      EXPECT_EQ(read_file(tsv).substr(0, 4), moment.table_starts);
    }
  }
}

// A report into a pipe whose reader is gone ends the run by SIGPIPE, as any signal does: the
// other outputs' temporary files are removed and the earlier files stay.
TEST(Faults, PipeWithoutReaderLeavesNoTemporaryFile) {
  TempDir dir, out_dir;
  const std::string out = out_dir.write("out.txt", "earlier\n");
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);
    std::vector<std::string> args =
        example_run({"-q", "--tsv", "/dev/stdout", "--json", out_dir.path("r.json")}, out);
    std::vector<char *> argv{const_cast<char *>(MOTIFSIG_EXE)};
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (dup2(ends[1], STDOUT_FILENO) >= 0) execv(MOTIFSIG_EXE, argv.data());
    _exit(127);
  }
  close(ends[1]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  EXPECT_EQ(out_dir.files(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(read_file(out), "earlier\n");
}

// A rename that fails after others succeeded: those are put back, a replaced file with its
// earlier text and a new one taken away, so the set is as before the run.
TEST(Faults, FailedRenamePutsBackTheOthers) {
  TempDir dir, out_dir;
  out_dir.write("r.tsv", "earlier table\n");
  out_dir.write("out.txt", "earlier\n");
  const std::vector<std::string> run =
      example_run({"--tsv", out_dir.path("r.tsv"), "--json", out_dir.path("new.json")},
                  out_dir.path("out.txt"));
  // The table and the JSON document go first, the motif file last.
  const int status = run_with_fault({Call::kRename, 3, 0, EPERM}, run, dir.path("err"));
  if (status == -1) GTEST_SKIP() << "ptrace, or failing a system call, is not possible here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(read_file(dir.path("err")), "motifsig: " + out_dir.path("out.txt") +
                                            ": cannot write the output: Operation not permitted\n");
  EXPECT_EQ(out_dir.files(), (std::vector<std::string>{"out.txt", "r.tsv"}));
  EXPECT_EQ(read_file(out_dir.path("r.tsv")), "earlier table\n");
  EXPECT_EQ(read_file(out_dir.path("out.txt")), "earlier\n");
}

// A file that cannot be replaced is found before any other is: the run fails with every file as
// it was. Marking a file immutable takes a privilege and a file system that has the flag.
TEST(Faults, ImmutableOutputIsFoundBeforeAnyRename) {
  TempDir out_dir;
  out_dir.write("r.tsv", "earlier table\n");
  const std::string out = out_dir.write("out.txt", "earlier\n");
  const int fd = open(out.c_str(), O_RDONLY);
  int flags = 0;
  if (fd < 0 || ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 ||
      (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
    if (fd >= 0) close(fd);
    GTEST_SKIP() << "cannot mark a file immutable here";
  }
  const RunResult r = run_tool(example_run({"--tsv", out_dir.path("r.tsv")}, out));
  flags &= ~FS_IMMUTABLE_FL;
  ioctl(fd, FS_IOC_SETFLAGS, &flags);
  close(fd);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "motifsig: " + out + ": cannot replace the output: the file is marked immutable\n");
  EXPECT_EQ(out_dir.files(), (std::vector<std::string>{"out.txt", "r.tsv"}));
  EXPECT_EQ(read_file(out_dir.path("r.tsv")), "earlier table\n");
}

// The new file must not be readable by more than the one it replaces.
TEST(Faults, FailedChmodFailsTheRun) {
  TempDir dir, out_dir;
  const std::string out = out_dir.write("out.txt", "earlier\n");
  const int status =
      run_with_fault({Call::kChmod, 1, 0, EPERM}, example_run({}, out), dir.path("err"));
  if (status == -1) GTEST_SKIP() << "ptrace, or failing a system call, is not possible here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(read_file(dir.path("err")), "motifsig: " + out +
                                            ": cannot keep the permission bits of the output: "
                                            "Operation not permitted\n");
  EXPECT_EQ(out_dir.files(), std::vector<std::string>{"out.txt"});
  EXPECT_EQ(read_file(out), "earlier\n");
}

// A name of 255 bytes, and a path just short of PATH_MAX, are written like any other.
TEST(Faults, LongestNameAndPathAreWritten) {
  TempDir dir;
  std::string deep = dir.path("");
  while (deep.size() + 201 < PATH_MAX - 64) deep += std::string(200, 'd') + "/";
  std::filesystem::create_directories(deep);
  const std::string name(255, 'n');
  const std::string path = deep + std::string(PATH_MAX - 1 - deep.size(), 'p');
  const RunResult r = run_tool(example_run({"--tsv", dir.path(name)}, path));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(path).substr(0, 4), "VORL");
  EXPECT_EQ(read_file(dir.path(name)).substr(0, 4), "moti");
}

}  // namespace
