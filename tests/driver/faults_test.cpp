// Whole-tool runs on inputs users get wrong, damaged compressed files, odd output paths, and
// signals arriving while the output is written.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

const char kSeqs[] = ">a\nACGTACGTAC\n>b\nACGTACGT\n>c\nACGTA\n";
const char kMotifs[] =
    "ALPHABET= ACGT\nBackground letter frequencies\nA 0.3 C 0.2 G 0.2 T 0.3\n\n"
    "letter-probability matrix: alength= 4 w= 2 nsites= 2 E= 0\n0.7 0.1 0.1 0.1\n0.1 0.1 0.1 0.7\n";
const char kSites[] = "motif\tseq\n1\ta\n1\tb\n";
const std::string kBom = "\xEF\xBB\xBF";

struct Case {
  const char *what;
  std::string seqs, motifs, sites;  // seqs starting with '/': a path to read instead
  int status;
  std::string err;         // exact standard error; '@' stands for the directory of the inputs
  std::string output_has;  // "=": the output of the plain inputs above
};

// The three plain inputs in `dir`, then `out`.
std::vector<std::string> plain_run(const TempDir &dir, const std::string &out) {
  return {dir.write("s", kSeqs), dir.write("m", kMotifs), dir.write("t", kSites), out};
}

// Starts the tool with default signal actions, standard output to /dev/null and standard error
// to a pipe; `file_size_limit` bytes (0: none) as the largest file it may write. A traced run
// stops before it starts, for the caller to attach with ptrace.
pid_t start_tool(const std::vector<std::string> &args, int &err_fd, rlim_t file_size_limit = 0,
                 bool traced = false) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    rlimit limit{file_size_limit, file_size_limit};
    if (file_size_limit > 0) setrlimit(RLIMIT_FSIZE, &limit);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, STDOUT_FILENO);
    dup2(pipe_fds[1], STDERR_FILENO);
    close(pipe_fds[0]);
    if (traced && (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0 || raise(SIGSTOP) != 0)) _exit(126);
    std::vector<char *> argv{const_cast<char *>(MOTIFSIG_EXE)};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(MOTIFSIG_EXE, argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  err_fd = pipe_fds[0];
  return pid;
}

// Waits for the tool and returns its wait status; `err` gets its standard error.
int finish_tool(pid_t pid, int err_fd, std::string &err) {
  char chunk[4096];
  for (ssize_t got; (got = read(err_fd, chunk, sizeof chunk)) > 0;) err.append(chunk, static_cast<size_t>(got));
  close(err_fd);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// Names in `dir`, joined by spaces.
std::string listing(const std::string &dir) {
  std::string names;
  DIR *d = opendir(dir.c_str());
  for (dirent *entry; d != nullptr && (entry = readdir(d)) != nullptr;)
    if (entry->d_name[0] != '.') names += (names.empty() ? "" : " ") + std::string(entry->d_name);
  if (d != nullptr) closedir(d);
  return names;
}

}  // namespace

TEST(Faults, InputsUsersGetWrongAndDamagedFiles) {
  const std::string half = std::string(kSeqs).substr(0, 16);
  const std::string alphabet = "ALPHABET= ACGT\nx\nA 0.3 C 0.2 G 0.2 T 0.3\n";
  const std::string matrix = "letter-probability matrix: alength= 4 w= 2\n";
  const std::string tail =
      "motifsig: @seqs: the compressed data is followed by data that is not compressed (were a "
      "compressed file and a plain one joined?)\n";
  const Case cases[] = {
      {"plain text after compressed data", gzip_bytes(kSeqs) + kSeqs, kMotifs, kSites, 1, tail, ""},
      {"garbage after compressed data", gzip_bytes(kSeqs) + std::string(2, '\0'), kMotifs, kSites, 1, tail, ""},
      {"concatenated compressed members", gzip_bytes(half) + gzip_bytes(std::string(kSeqs).substr(16)), kMotifs, kSites, 0, "", "="},
      {"corrupt data named without zlib's descriptor", std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03\x07xyz", 14),
       kMotifs, kSites, 1, "motifsig: @seqs: compressed data is corrupt (invalid block type)\n", ""},
      {"an endless line", "/dev/zero", kMotifs, kSites, 1,
       "motifsig: /dev/zero:1: sequence is longer than 2147483647 characters\n", ""},
      {"motif number quoted as written", kSeqs, kMotifs, "h\n99999999999\tx\n", 1,
       "motifsig: @sites:2: site of motif 99999999999, but motifs are numbered 1 to 1\n", ""},
      {"NUL byte in a token", kSeqs, alphabet + matrix + std::string("0.7 0.1 0.1\0x 0.1\n", 18), kSites, 1,
       "motifsig: @motifs:5: probability '0.1\\0x' is not a number\n", ""},
      {"byte-order marks", kBom + kSeqs, kBom + kMotifs, kBom + kSites, 0, "", "="},
      {"blank site lines of spaces and carriage returns", kSeqs, kMotifs, "h\r\n1\ta\r\n \t\r\n1\tb\r\n\r\n", 0, "", "="},
      {"wrapped FASTA, warned once", ">a\nACGT\n>b x\nAC\n\nGT\n>c\nAC\nGT\n", kMotifs, kSites, 0,
       "motifsig: warning: @seqs:3: record 'b' spans more than one line, and every line counts as one "
       "sequence; unwrap the file first (the README shows how)\n", "nsites= 2"},
      {"no headers, no warning", "ACGTACGTAC\nACGTACGT\nACGTA\n", kMotifs, kSites, 0, "", "="},
      {"count matrix, warned once", kSeqs,
       alphabet + "MOTIF m1\n" + matrix + "1 0 0 0\n7 1 1 1\n" + matrix + "2 1 1 1\n1 1 1 1\n", kSites, 0,
       "motifsig: warning: @motifs:7: row 2 of motif 1 ('m1') has the value 7, above 1: the rows should "
       "be probabilities, not counts\n", "nsites= 2"},
      {"one-letter alphabet", kSeqs, "ALPHABET= A\nx\nA 0.3\nletter-probability matrix: alength= 1 w= 1\n1\n", kSites, 0,
       "", "ALPHABET= A\nBackground letter frequencies\nA 1 \n"},
  };
  TempDir dir;
  const std::string plain_out = dir.path("plain.txt");
  ASSERT_EQ(run_tool(plain_run(dir, plain_out)).status, 0);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = dir.write("out.txt", "earlier\n");
    std::vector<std::string> args = {dir.write("seqs", c.seqs), dir.write("motifs", c.motifs),
                                     dir.write("sites", c.sites), out};
    if (c.seqs[0] == '/') args[0] = c.seqs;
    RunResult r = run_tool(args);
    EXPECT_EQ(r.status, c.status);
    std::string err = c.err;
    for (size_t at; (at = err.find('@')) != std::string::npos;) err.replace(at, 1, dir.path(""));
    EXPECT_EQ(r.err, err);
    const std::string written = read_file(out);
    if (c.output_has == "=") {
      EXPECT_EQ(written, read_file(plain_out));
    } else if (c.status != 0) {
      EXPECT_EQ(written, "earlier\n");
    } else {
      EXPECT_NE(written.find(c.output_has), std::string::npos) << written;
    }
  }
}

TEST(Faults, ReplacedOutputKeepsItsModeAndALinkIsFollowedToItsTarget) {
  TempDir dir;
  auto mode_of = [](const std::string &path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
  };
  const std::string kept = dir.write("kept.txt", "earlier\n");
  chmod(kept.c_str(), 0600);
  const mode_t saved_mask = umask(027);
  EXPECT_EQ(run_tool(plain_run(dir, kept)).status, 0);
  EXPECT_EQ(run_tool(plain_run(dir, dir.path("new.txt"))).status, 0);
  umask(saved_mask);
  EXPECT_EQ(mode_of(kept) & 07777, 0600u);
  EXPECT_EQ(mode_of(dir.path("new.txt")) & 07777, 0640u);

  // A dangling link gets its target created, as a shell redirection would; a loop is an error.
  ASSERT_EQ(symlink("target.txt", dir.path("link").c_str()), 0);
  EXPECT_EQ(run_tool(plain_run(dir, dir.path("link"))).status, 0);
  EXPECT_TRUE(S_ISLNK(mode_of(dir.path("link"))));
  EXPECT_EQ(read_file(dir.path("target.txt")), read_file(kept));
  ASSERT_EQ(symlink("loop2", dir.path("loop1").c_str()) | symlink("loop1", dir.path("loop2").c_str()), 0);
  RunResult loop = run_tool(plain_run(dir, dir.path("loop1")));
  EXPECT_EQ(loop.status, 1);
  EXPECT_EQ(loop.err, "motifsig: " + dir.path("loop1") + ": cannot write the output: Too many levels of symbolic links\n");
}

TEST(Faults, WriteBeyondTheFileSizeLimitFailsCleanly) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.path("out").c_str(), 0755), 0);
  const std::string out = dir.write("out/out.txt", "earlier\n");
  int err_fd = -1;
  std::string err;
  const pid_t pid = start_tool(plain_run(dir, out), err_fd, 100);
  const int status = finish_tool(pid, err_fd, err);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
  EXPECT_EQ(err, "motifsig: " + out + ": cannot write the output: File too large\n");
  EXPECT_EQ(listing(dir.path("out")), "out.txt");
  EXPECT_EQ(read_file(out), "earlier\n");
}

// Where a run is caught: the system call it is about to make.
enum class Call { kCreateTemporary, kSync, kRename };

bool is_call(const __ptrace_syscall_info &info, Call call) {
  if (info.op != PTRACE_SYSCALL_INFO_ENTRY) return false;
  const auto nr = info.entry.nr;
  if (call == Call::kCreateTemporary) return nr == SYS_openat && (info.entry.args[2] & O_EXCL) != 0;
  if (call == Call::kSync) return nr == SYS_fsync;
#ifdef SYS_rename
  if (nr == SYS_rename) return true;
#endif
  return nr == SYS_renameat || nr == SYS_renameat2;
}

// Runs the tool under ptrace up to its first `call` and sends it `sig` there. Returns the wait
// status of the run, or -1 when this system does not allow ptrace.
int signal_at(Call call, const std::vector<std::string> &args, int sig, std::string &err) {
  int err_fd = -1, status = 0;
  const pid_t pid = start_tool(args, err_fd, 0, true);
  if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return finish_tool(pid, err_fd, err), -1;
  if (ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0)
    return kill(pid, SIGKILL), finish_tool(pid, err_fd, err), -1;
  long pass_on = 0;  // a signal the run got on its way, delivered as usual
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, pass_on) != 0) kill(pid, SIGKILL);
    if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status))
      return finish_tool(pid, err_fd, err), status;  // the run ended without that call
    pass_on = WSTOPSIG(status) == SIGTRAP || WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
    __ptrace_syscall_info info{};
    if (WSTOPSIG(status) == (SIGTRAP | 0x80) && ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0 &&
        is_call(info, call)) {
      kill(pid, sig);
      ptrace(PTRACE_DETACH, pid, nullptr, 0);
      return finish_tool(pid, err_fd, err);
    }
  }
}

// A signal while the temporary file is created, written or renamed ends the run by that signal
// and leaves the directory with one complete output: the earlier one, or, once renamed, the new.
TEST(Faults, SignalWhileWritingLeavesNoTemporaryFile) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.path("out").c_str(), 0755), 0);
  const std::string out = dir.path("out/out.txt");
  const std::vector<std::string> args = plain_run(dir, out);
  const struct {
    Call call;
    const char *what, *output_starts;
  } moments[] = {{Call::kCreateTemporary, "creating", "earl"}, {Call::kSync, "syncing", "earl"},
                 {Call::kRename, "renaming", "VORL"}};
  for (const auto &moment : moments) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(std::string(strsignal(sig)) + " while " + moment.what);
      dir.write("out/out.txt", "earlier\n");
      std::string err;
      const int status = signal_at(moment.call, args, sig, err);
      if (status == -1) GTEST_SKIP() << "ptrace is not allowed here";
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "wait status " << status << ": " << err;
      EXPECT_EQ(listing(dir.path("out")), "out.txt");
      EXPECT_EQ(read_file(out).substr(0, 4), moment.output_starts);
    }
  }
}
