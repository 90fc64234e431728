#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/diagnostics.h"

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

}  // namespace

void write_file_atomically(const char *path, const std::string &text) {
  struct stat info;
  if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) file_error(path, 0, "cannot write the output: it is a directory");
    write_directly(path, text);
    return;
  }
  // A symbolic link is followed, so the file it names is replaced, not the link.
  std::string target = path;
  char resolved[PATH_MAX];
  struct stat link_info;
  if (lstat(path, &link_info) == 0 && S_ISLNK(link_info.st_mode) && realpath(path, resolved) != nullptr)
    target = resolved;

  std::string temp_name = target + ".tmp-XXXXXX";
  std::vector<char> temp(temp_name.begin(), temp_name.end());
  temp.push_back('\0');
  int fd = mkstemp(temp.data());
  if (fd < 0) file_error(path, 0, "cannot create the output file: %s", std::strerror(errno));
  // mkstemp makes the file private; give it the mode a newly created file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  bool ok = write_all(fd, text);
  int saved = errno;
  if (ok && fsync(fd) != 0 && errno != EINVAL && errno != EROFS) ok = false, saved = errno;
  if (close(fd) != 0 && ok) ok = false, saved = errno;
  if (ok && rename(temp.data(), target.c_str()) != 0) ok = false, saved = errno;
  if (!ok) {
    unlink(temp.data());
    file_error(path, 0, "cannot write the output: %s", std::strerror(saved));
  }
}
