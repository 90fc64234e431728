#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "io/diagnostics.h"
#include "records/run_stop.h"

namespace {

// Writes all of `text` to `fd`; false with errno set on failure.
bool write_all(int fd, const std::string &text) {
  const char *p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t done = write(fd, p, left);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += done;
    left -= static_cast<size_t>(done);
  }
  return true;
}

void write_directly(const char *path, const std::string &text) {
  int fd = open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) file_error(path, 0, "cannot write the output: %s", std::strerror(errno));
  if (!write_all(fd, text)) {
    int saved = errno;
    close(fd);
    file_error(path, 0, "cannot write the output: %s", std::strerror(saved));
  }
  if (close(fd) != 0) file_error(path, 0, "cannot write the output: %s", std::strerror(errno));
}

// The file that writing to `path` reaches: symbolic links are followed, as a shell redirection
// follows them, even to a name that does not exist yet. False with errno ELOOP when the links
// go round.
bool follow_links(const char *path, std::string &target) {
  constexpr int kMaxHops = 40;  // the kernel's own limit
  target = path;
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    if (hops == kMaxHops) {
      errno = ELOOP;
      return false;
    }
    std::string link(static_cast<size_t>(info.st_size) + PATH_MAX, '\0');
    ssize_t size = readlink(target.c_str(), link.data(), link.size());
    if (size <= 0) return true;  // creating the file reports what is wrong
    link.resize(static_cast<size_t>(size));
    const size_t slash = target.rfind('/');
    if (link[0] != '/' && slash != std::string::npos) link.insert(0, target, 0, slash + 1);
    target = std::move(link);
  }
}

// Replaces the last six characters of `name` with a fresh random suffix. Called only between
// begin_temp_change and end_temp_change, so by one thread at a time.
void randomise_suffix(std::string &name) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static uint64_t counter = 0;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t x = (static_cast<uint64_t>(getpid()) << 32) ^ static_cast<uint64_t>(now.tv_nsec) ^
               (static_cast<uint64_t>(now.tv_sec) << 20) ^ (++counter * 0x9e3779b97f4a7c15u);
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;  // splitmix64 finaliser
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
  x ^= x >> 31;
  for (size_t i = name.size() - 6; i < name.size(); ++i, x /= 62) name[i] = kLetters[x % 62];
}

}  // namespace

namespace {

// A regular file whose text is complete in a temporary file beside it.
struct PreparedFile {
  const char *path;    // as given, for messages
  std::string target;  // the file the path reaches
  std::string temp;
};

// Writes `text` to a new temporary file beside the file `path` reaches. It stays tracked, so a
// failure from here on removes it; the clean-up holds a pointer to `file.temp`, so `file` must
// not move until it is settled.
void prepare(PreparedFile &file, const std::string &text) {
  const char *path = file.path;
  if (!follow_links(path, file.target))
    file_error(path, 0, "cannot write the output: %s", std::strerror(errno));
  struct stat info;
  const bool replacing = stat(file.target.c_str(), &info) == 0;

  // Created with open rather than mkstemp, so the new file gets 0666 less the umask (and any
  // default ACL of the directory) as a plainly created one would. Nothing between
  // begin_temp_change and end_temp_change may stop the run, so the name is allocated before.
  file.temp = file.target + ".tmp-XXXXXX";
  int fd = -1, saved = 0;
  bool tracked = true;
  begin_temp_change();
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    randomise_suffix(file.temp);
    fd = open(file.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    saved = errno;
    if (fd < 0 && saved != EEXIST) break;
  }
  if (fd >= 0 && !track_temp_file(file.temp.c_str())) {
    close(fd);
    unlink(file.temp.c_str());
    fd = -1;
    tracked = false;
  }
  end_temp_change();
  if (!tracked)
    file_error(path, 0, "cannot create the output file: too many files written at once");
  if (fd < 0) file_error(path, 0, "cannot create the output file: %s", std::strerror(saved));
  if (replacing) fchmod(fd, info.st_mode & 07777);

  bool ok = write_all(fd, text);
  saved = errno;
  if (ok && fsync(fd) != 0 && errno != EINVAL && errno != EROFS) ok = false, saved = errno;
  if (close(fd) != 0 && ok) ok = false, saved = errno;
  if (!ok) file_error(path, 0, "cannot write the output: %s", std::strerror(saved));
}

// Renames a prepared file into place and stops tracking it.
void settle(const PreparedFile &file) {
  begin_temp_change();
  const bool ok = rename(file.temp.c_str(), file.target.c_str()) == 0;
  const int saved = errno;
  if (ok) untrack_temp_file(file.temp.c_str());
  end_temp_change();
  if (!ok) file_error(file.path, 0, "cannot write the output: %s", std::strerror(saved));
}

}  // namespace

void write_files_atomically(const std::vector<OutputFile> &files) {
  std::vector<std::unique_ptr<PreparedFile>> prepared;  // each stays where it was made
  std::vector<const OutputFile *> direct;
  reserve_temp_files(files.size());
  for (const OutputFile &file : files) {
    struct stat info;
    if (stat(file.path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      if (S_ISDIR(info.st_mode))
        file_error(file.path.c_str(), 0, "cannot write the output: it is a directory");
      direct.push_back(&file);
    } else {
      prepared.push_back(std::make_unique<PreparedFile>(PreparedFile{file.path.c_str(), "", ""}));
      prepare(*prepared.back(), file.text);
    }
  }
  for (const auto &file : prepared) settle(*file);
  // A pipe or a terminal cannot be taken back, so it is written once everything else is done.
  for (const OutputFile *file : direct) write_directly(file->path.c_str(), file->text);
}
