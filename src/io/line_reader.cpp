#include "io/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "io/diagnostics.h"

namespace {
// Bytes asked of each read. Small enough that the buffer stays in the processor cache: reads
// of a megabyte ran several times slower than the line scan itself. zlib reads a plain file
// straight into our buffer only when asked for more than twice its own buffer, kZlibBuffer;
// otherwise it reads into that and copies.
constexpr size_t kChunk = size_t{1} << 16;
constexpr unsigned kZlibBuffer = 1u << 14;

// Reads land on page boundaries, as the file data come: a destination a few bytes past one
// made the kernel's copy several times slower.
constexpr size_t kPage = 4096;

char *page_aligned(size_t bytes) {
  void *p = nullptr;
  return posix_memalign(&p, kPage, bytes) == 0 ? static_cast<char *>(p) : nullptr;
}
}  // namespace

LineReader::LineReader(const char *path) : path_(path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) file_error(path, 0, "cannot open file: %s", std::strerror(errno));
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    file_error(path, 0, "is a directory, not a file");
  }
  gzFile gz = gzdopen(fd, "rb");
  if (gz == nullptr) {
    close(fd);
    file_error(path, 0, "cannot open file: out of memory");
  }
  gzbuffer(gz, kZlibBuffer);
  gz_ = gz;
  capacity_ = 2 * kChunk;
  buffer_ = page_aligned(capacity_);
  if (buffer_ == nullptr) file_error(path, 0, "out of memory for a read buffer");
}

LineReader::~LineReader() {
  if (gz_ != nullptr) gzclose(static_cast<gzFile>(gz_));
  std::free(buffer_);
}

bool LineReader::refill() {
  if (at_eof_) return false;
  // The unread bytes move to just before a page boundary, where the next read starts.
  const size_t unread = end_ - begin_;
  const size_t start = (unread + kPage - 1) / kPage * kPage - unread;
  if (begin_ != start) std::memmove(buffer_ + start, buffer_ + begin_, unread);
  begin_ = start;
  end_ = start + unread;
  if (capacity_ - end_ < kChunk) {
    size_t wanted = capacity_ * 2;
    char *grown = page_aligned(wanted);
    if (grown == nullptr) file_error(path_, line_number_ + 1, "line too long to hold in memory");
    std::memcpy(grown + begin_, buffer_ + begin_, unread);
    std::free(buffer_);
    buffer_ = grown;
    capacity_ = wanted;
  }
  gzFile gz = static_cast<gzFile>(gz_);
  int got = gzread(gz, buffer_ + end_, static_cast<unsigned>(kChunk));
  int code = Z_OK;
  const char *message = gzerror(gz, &code);
  if (got < 0 || (code != Z_OK && code != Z_BUF_ERROR)) {
    if (code == Z_ERRNO) file_error(path_, 0, "cannot read file: %s", std::strerror(errno));
    file_error(path_, 0, "compressed data is corrupt (%s)", message);
  }
  if (code == Z_BUF_ERROR) file_error(path_, 0, "compressed data ends early: the file is truncated");
  if (got == 0) {
    at_eof_ = true;
    return false;
  }
  end_ += static_cast<size_t>(got);
  return true;
}

bool LineReader::next(std::string_view &line) {
  size_t searched = begin_;
  for (;;) {
    const void *found = std::memchr(buffer_ + searched, '\n', end_ - searched);
    if (found != nullptr) {
      size_t stop = static_cast<size_t>(static_cast<const char *>(found) - buffer_);
      line = std::string_view(buffer_ + begin_, stop - begin_);
      begin_ = stop + 1;
      ++line_number_;
      return true;
    }
    size_t unread = end_ - begin_;
    if (!refill()) {
      if (unread == 0) return false;
      line = std::string_view(buffer_ + begin_, unread);
      begin_ = end_;
      ++line_number_;
      return true;
    }
    searched = begin_ + unread;
  }
}

bool LineReader::next_length(int64_t &length, char &first) {
  length = 0;
  first = 0;
  bool any = false;  // a line exists once it has a byte or a line feed
  for (;;) {
    if (begin_ == end_ && !refill()) {
      if (any) ++line_number_;
      return any;
    }
    size_t avail = end_ - begin_;
    const void *found = std::memchr(buffer_ + begin_, '\n', avail);
    size_t taken = found ? static_cast<size_t>(static_cast<const char *>(found) - (buffer_ + begin_)) : avail;
    if (!any && taken > 0) first = buffer_[begin_];
    any = true;
    length += static_cast<int64_t>(taken);
    if (found != nullptr) {
      begin_ += taken + 1;
      ++line_number_;
      return true;
    }
    begin_ = end_;
  }
}
