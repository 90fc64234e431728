#include "process/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "process/diagnostics.h"
#include "process/file_identity.h"
#include "process/tracked_files.h"

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
  if (is_standard_output(path)) {
    if (!write_all(STDOUT_FILENO, text))
      file_error(path, 0, "cannot write to standard output: %s", std::strerror(errno));
    return;
  }
  int fd = open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) system_file_error(path, errno, "cannot write the output");
  if (!write_all(fd, text)) {
    int saved = errno;
    close(fd);
    system_file_error(path, saved, "cannot write the output");
  }
  if (close(fd) != 0) system_file_error(path, errno, "cannot write the output");
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

// A directory held open for the files written in it. The files of one directory share it, so
// a logo per motif does not take a descriptor per motif.
struct OpenDirectory {
  std::string path;
  int fd;

  OpenDirectory(std::string where, int opened) : path(std::move(where)), fd(opened) {}
  ~OpenDirectory() { close(fd); }
  OpenDirectory(const OpenDirectory &) = delete;
  OpenDirectory &operator=(const OpenDirectory &) = delete;
};

// A regular file whose text is complete in a temporary file beside it, until it is settled.
// The clean-up holds pointers to `temp` and uses `dir_fd`, so it must not move.
struct PreparedFile {
  const char *path;                    // as given, for messages
  std::shared_ptr<OpenDirectory> dir;  // the directory of the file the path reaches
  int dir_fd = -1;                     // dir->fd
  std::string name;                    // the file's name in it
  std::string temp;                    // the temporary file's name in it: short, so it always fits
  bool replacing = false;              // a file of that name is there
  bool exchanged = false;  // moved in by exchanging names: `temp` now names the earlier file
  bool pending = false;    // `temp` exists and is tracked

  explicit PreparedFile(const char *given) : path(given) {}
  PreparedFile(const PreparedFile &) = delete;
  PreparedFile &operator=(const PreparedFile &) = delete;
};

// Why the file `name` cannot be replaced, as far as can be told before trying; nullptr when
// nothing is known against it. The checks spare a run that would fail half-way through its
// renames.
const char *why_not_replaceable(int dir_fd, const char *name) {
  struct statx file;
  if (statx(dir_fd, name, AT_SYMLINK_NOFOLLOW, STATX_UID, &file) != 0) return nullptr;
  if (file.stx_attributes & STATX_ATTR_IMMUTABLE) return "the file is marked immutable";
  if (file.stx_attributes & STATX_ATTR_APPEND) return "the file is marked append-only";
  struct stat directory;
  const uid_t me = geteuid();
  if (me != 0 && fstat(dir_fd, &directory) == 0 && (directory.st_mode & S_ISVTX) &&
      directory.st_uid != me && file.stx_uid != me)
    return "it belongs to another user, in a directory where only a file's owner may replace it";
  return nullptr;
}

// Writes `text` to a new temporary file in the directory of the file `file.path` reaches, held
// open in `dirs` unless an earlier file opened it. It stays tracked, so a failure from here on
// removes it.
void prepare(PreparedFile &file, const std::string &text,
             std::vector<std::shared_ptr<OpenDirectory>> &dirs) {
  const char *path = file.path;
  std::string target, directory;
  if (!follow_links(path, target)) system_file_error(path, errno, "cannot write the output");
  split_path(target, directory, file.name);
  if (file.name.empty())
    file_error(path, 0,
               "cannot create the output file: the path ends with '/', which names a directory, "
               "not a file");
  // The directory is held open and names in it are short, so any path and name the file
  // system takes can be written.
  for (const auto &dir : dirs)
    if (dir->path == directory) file.dir = dir;
  if (!file.dir) {
    const int fd = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) system_file_error(path, errno, "cannot create the output file");
    file.dir = std::make_shared<OpenDirectory>(directory, fd);
    dirs.push_back(file.dir);
  }
  file.dir_fd = file.dir->fd;
  struct stat info;
  file.replacing = fstatat(file.dir_fd, file.name.c_str(), &info, 0) == 0;
  if (file.replacing) {
    const char *why = why_not_replaceable(file.dir_fd, file.name.c_str());
    if (why != nullptr) file_error(path, 0, "cannot replace the output: %s", why);
  }

  // Created with openat rather than mkstemp, so a new file gets 0666 less the umask (and any
  // default ACL of the directory) as a plainly created one would; a replacing one stays private
  // until it has the bits of the file it replaces. Nothing between begin_temp_change and
  // end_temp_change may stop the run, so the name is allocated before.
  file.temp = ".motifsig-XXXXXX";
  int fd = -1, saved = 0;
  bool tracked = true;
  begin_temp_change();
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    randomise_suffix(file.temp);
    fd = openat(file.dir_fd, file.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                file.replacing ? 0600 : 0666);
    saved = errno;
    if (fd < 0 && saved != EEXIST) break;
  }
  if (fd >= 0 && !track_temp_file(file.dir_fd, file.temp.c_str())) {
    close(fd);
    unlinkat(file.dir_fd, file.temp.c_str(), 0);
    fd = -1;
    tracked = false;
  }
  file.pending = fd >= 0;
  end_temp_change();
  if (!tracked)
    file_error(path, 0, "cannot create the output file: too many files written at once");
  if (fd < 0) system_file_error(path, saved, "cannot create the output file");
  if (file.replacing && fchmod(fd, info.st_mode & 07777) != 0) {
    saved = errno;
    close(fd);
    system_file_error(path, saved, "cannot keep the permission bits of the output");
  }

  bool ok = write_all(fd, text);
  saved = errno;
  if (ok && fsync(fd) != 0 && errno != EINVAL && errno != EROFS) ok = false, saved = errno;
  if (close(fd) != 0 && ok) ok = false, saved = errno;
  if (!ok) system_file_error(path, saved, "cannot write the output");
}

// Moves a prepared file into place. An earlier file is exchanged with it, so that it can be put
// back; a file system that cannot exchange two names gets a plain rename.
bool swap_in(PreparedFile &file) {
  const char *temp = file.temp.c_str(), *name = file.name.c_str();
  if (file.replacing) {
    if (renameat2(file.dir_fd, temp, file.dir_fd, name, RENAME_EXCHANGE) == 0) {
      file.exchanged = true;
      return true;
    }
    if (errno == ENOENT)
      file.replacing = false;  // the earlier file went away meanwhile
    else if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
      return false;
  }
  return renameat(file.dir_fd, temp, file.dir_fd, name) == 0;
}

// Undoes swap_in, as far as it can be undone: the new text goes back to the temporary file.
void put_back(const PreparedFile &file) {
  const char *temp = file.temp.c_str(), *name = file.name.c_str();
  if (file.exchanged)
    renameat2(file.dir_fd, temp, file.dir_fd, name, RENAME_EXCHANGE);
  else if (!file.replacing)
    renameat(file.dir_fd, name, file.dir_fd, temp);
}

// Moves every prepared file into place, all or none. Signals wait until the moves are done, so
// a run never ends with the set half replaced; when a move fails, the ones before it are put
// back before the failure is reported.
void commit(const std::vector<std::unique_ptr<PreparedFile>> &files) {
  size_t done = 0;
  int saved = 0;
  begin_temp_change();
  for (; done < files.size(); ++done)
    if (!swap_in(*files[done])) {
      saved = errno;
      break;
    }
  if (done < files.size()) {
    for (size_t k = done; k-- > 0;) put_back(*files[k]);
  } else {
    for (const auto &file : files) {
      if (file->exchanged) unlinkat(file->dir_fd, file->temp.c_str(), 0);
      untrack_temp_file(file->temp.c_str());
      file->pending = false;
    }
  }
  end_temp_change();
  if (done < files.size()) system_file_error(files[done]->path, saved, "cannot write the output");
}

// Removes the temporary files of a write that failed.
void discard(const std::vector<std::unique_ptr<PreparedFile>> &files) {
  begin_temp_change();
  for (const auto &file : files)
    if (file->pending) {
      unlinkat(file->dir_fd, file->temp.c_str(), 0);
      untrack_temp_file(file->temp.c_str());
      file->pending = false;
    }
  end_temp_change();
}

}  // namespace

void write_files_atomically(const std::vector<OutputFile> &files) {
  std::vector<std::unique_ptr<PreparedFile>> prepared;  // each stays where it was made
  std::vector<const OutputFile *> direct;
  std::vector<std::shared_ptr<OpenDirectory>> dirs;
  reserve_temp_files(files.size());
  try {
    for (const OutputFile &file : files) {
      struct stat info;
      if (is_standard_output(file.path)) {
        direct.push_back(&file);
      } else if (stat(file.path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode))
          file_error(file.path.c_str(), 0, "cannot write the output: it is a directory");
        direct.push_back(&file);
      } else {
        prepared.push_back(std::make_unique<PreparedFile>(file.path.c_str()));
        prepare(*prepared.back(), file.text, dirs);
      }
    }
    // A pipe or a terminal cannot be taken back, so it is written before anything is replaced:
    // a failure there (a full device) leaves every file as it was, and a pipe that nobody reads
    // holds the run up before its files are replaced, not after.
    for (const OutputFile *file : direct) write_directly(file->path.c_str(), file->text);
    commit(prepared);
  } catch (...) {
    discard(prepared);
    release_temp_files(files.size());
    throw;
  }
  release_temp_files(files.size());
}
