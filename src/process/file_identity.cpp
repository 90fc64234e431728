#include "process/file_identity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

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

void split_path(const std::string &target, std::string &directory, std::string &name) {
  const size_t slash = target.rfind('/');
  if (slash == std::string::npos) {
    directory = ".";
    name = target;
  } else {
    directory = slash == 0 ? "/" : target.substr(0, slash);
    name = target.substr(slash + 1);
  }
}

namespace {

// `path` without empty and "." parts: "./L//x/" gives "L/x".
std::string without_empty_parts(const std::string &path) {
  std::string out;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") out += (out.empty() ? "" : "/") + part;
    start = end + 1;
  }
  return out;
}

FileIdentity identity_of(const struct stat &info) {
  FileIdentity id;
  id.exists = true;
  id.regular = S_ISREG(info.st_mode);
  id.device = info.st_dev;
  id.inode = info.st_ino;
  return id;
}

}  // namespace

FileIdentity identify_file(const std::string &path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return identity_of(info);
  FileIdentity id;
  id.regular = true;
  std::string target;
  if (!follow_links(path.c_str(), target)) target = path;
  // Climbs to the deepest directory that exists; what lies below it is named by its path.
  std::string below, directory, name, at = target;
  for (;;) {
    while (at.size() > 1 && at.back() == '/') at.pop_back();
    split_path(at, directory, name);
    below = below.empty() ? name : name + "/" + below;
    if (stat(directory.c_str(), &info) == 0) {
      id.device = info.st_dev;
      id.inode = info.st_ino;
      id.name = without_empty_parts(below);
      return id;
    }
    if (directory == at || directory == "." || directory == "/") break;
    at = directory;
  }
  id.name = target;
  return id;
}

FileIdentity identify_standard_output() {
  struct stat info;
  if (fstat(STDOUT_FILENO, &info) == 0) return identity_of(info);
  return FileIdentity();  // closed: writing to it fails
}

bool same_file(const FileIdentity &a, const FileIdentity &b) {
  return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.name == b.name;
}
