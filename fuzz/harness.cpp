#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "records/run_stop.h"

namespace {

[[noreturn]] void throw_stop(int status) { throw HarnessStop{status}; }

std::string scratch_dir;

void remove_scratch_dir() {
  if (scratch_dir.empty()) return;
  if (DIR *dir = opendir(scratch_dir.c_str())) {
    while (dirent *entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      unlink((scratch_dir + "/" + entry->d_name).c_str());
    }
    closedir(dir);
  }
  rmdir(scratch_dir.c_str());
}

const std::string &ensure_scratch_dir() {
  if (!scratch_dir.empty()) return scratch_dir;
  const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string name = std::string(base) + "/motifsig-fuzz-" + std::to_string(getpid()) + "-XXXXXX";
  if (mkdtemp(name.data()) == nullptr) harness_fault("cannot make %s: %s", name.c_str(), std::strerror(errno));
  scratch_dir = name;
  std::atexit(remove_scratch_dir);
  return scratch_dir;
}

}  // namespace

ThrowingStops::ThrowingStops() { set_stop_handler(throw_stop); }
ThrowingStops::~ThrowingStops() { set_stop_handler(nullptr); }

std::string scratch_path(const char *name) { return ensure_scratch_dir() + "/" + name; }

std::string write_scratch(const char *name, const uint8_t *data, size_t size) {
  std::string path = scratch_path(name);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) harness_fault("cannot write %s: %s", path.c_str(), std::strerror(errno));
  while (size > 0) {
    ssize_t done = write(fd, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) harness_fault("cannot write %s: %s", path.c_str(), std::strerror(errno));
    data += done;
    size -= static_cast<size_t>(done);
  }
  close(fd);
  return path;
}

std::string unexpected_scratch_files(const char *const *expected, int count) {
  std::string found;
  DIR *dir = opendir(ensure_scratch_dir().c_str());
  if (dir == nullptr) return "(cannot list the scratch directory)";
  while (dirent *entry = readdir(dir)) {
    bool known = std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0;
    for (int i = 0; i < count && !known; ++i) known = std::strcmp(entry->d_name, expected[i]) == 0;
    if (known) continue;
    if (!found.empty()) found += ", ";
    found += entry->d_name;
  }
  closedir(dir);
  return found;
}

void silence_stdout() {
  std::fflush(stdout);
  int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_fd >= 0) {
    dup2(null_fd, STDOUT_FILENO);
    close(null_fd);
  }
}

void harness_fault(const char *format, ...) {
  std::fprintf(stderr, "motifsig fuzz harness: ");
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}
