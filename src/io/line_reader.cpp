#include "io/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "process/diagnostics.h"

namespace {
// Bytes asked of each read. Small enough that the buffer stays in the processor cache: reads
// of a megabyte ran several times slower than the line scan itself.
constexpr size_t kChunk = size_t{1} << 16;

// Reads land on page boundaries, as the file data come: a destination a few bytes past one
// made the kernel's copy several times slower.
constexpr size_t kPage = 4096;

char *page_aligned(size_t bytes) {
  void *p = nullptr;
  return posix_memalign(&p, kPage, bytes) == 0 ? static_cast<char *>(p) : nullptr;
}

bool is_gzip_magic(const char *bytes) {
  return static_cast<unsigned char>(bytes[0]) == 0x1f &&
         static_cast<unsigned char>(bytes[1]) == 0x8b;
}
}  // namespace

LineReader::LineReader(const char *path) : path_(path) {
  fd_ = open(path, O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) file_error(path, 0, "cannot open file: %s", std::strerror(errno));
  // The descriptor is closed before a stop, which may unwind without this object's destructor.
  struct stat info;
  if (fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd_);
    file_error(path, 0, "is a directory, not a file");
  }
  capacity_ = 2 * kChunk;
  buffer_ = page_aligned(capacity_);
  if (buffer_ == nullptr) {
    close(fd_);
    file_error(path, 0, "out of memory for a read buffer");
  }
}

LineReader::~LineReader() {
  if (stream_ != nullptr) {
    inflateEnd(static_cast<z_stream *>(stream_));
    delete static_cast<z_stream *>(stream_);
  }
  std::free(input_);
  std::free(buffer_);
  if (fd_ >= 0) close(fd_);
}

size_t LineReader::read_some(char *to, size_t room) {
  for (;;) {
    ssize_t got = read(fd_, to, room);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) file_error(path_, 0, "cannot read file: %s", std::strerror(errno));
  }
}

bool LineReader::fill_input(size_t wanted) {
  z_stream &z = *static_cast<z_stream *>(stream_);
  if (z.avail_in >= wanted) return true;
  if (z.avail_in > 0) std::memmove(input_, z.next_in, z.avail_in);
  z.next_in = reinterpret_cast<Bytef *>(input_);
  while (z.avail_in < wanted) {
    size_t got = read_some(input_ + z.avail_in, kChunk - z.avail_in);
    if (got == 0) return false;
    z.avail_in += static_cast<uInt>(got);
  }
  return true;
}

size_t LineReader::inflate_some(char *to, size_t room) {
  z_stream &z = *static_cast<z_stream *>(stream_);
  z.next_out = reinterpret_cast<Bytef *>(to);
  z.avail_out = static_cast<uInt>(room);
  while (z.avail_out == room) {
    if (member_ended_) {
      // Members may follow one another; anything else after the last one is not text of
      // this file (say, a plain file appended to a compressed one).
      if (!fill_input(2)) {
        if (z.avail_in == 0) return 0;
        file_error(path_, 0,
                   "the compressed data is followed by data that is not compressed (were a "
                   "compressed file and a plain one joined?)");
      }
      if (!is_gzip_magic(reinterpret_cast<const char *>(z.next_in)))
        file_error(path_, 0,
                   "the compressed data is followed by data that is not compressed (were a "
                   "compressed file and a plain one joined?)");
      inflateReset(&z);
      member_ended_ = false;
    }
    if (z.avail_in == 0 && !fill_input(1))
      file_error(path_, 0, "compressed data ends early: the file is truncated");
    int code = inflate(&z, Z_NO_FLUSH);
    if (code == Z_STREAM_END) {
      member_ended_ = true;
    } else if (code == Z_MEM_ERROR) {
      file_error(path_, 0, "out of memory for decompression");
    } else if (code != Z_OK && code != Z_BUF_ERROR) {
      file_error(path_, 0, "compressed data is corrupt (%s)",
                 z.msg != nullptr ? z.msg : "unknown error");
    }
  }
  return room - z.avail_out;
}

size_t LineReader::produce(char *to, size_t room) {
  if (kind_ == Kind::kPlain) return read_some(to, room);
  if (kind_ == Kind::kGzip) return inflate_some(to, room);
  // The first two bytes tell a compressed file from a plain one.
  size_t got = 0;
  while (got < 2) {
    size_t more = read_some(to + got, room - got);
    if (more == 0) break;
    got += more;
  }
  if (got < 2 || !is_gzip_magic(to)) {
    kind_ = Kind::kPlain;
    return got;
  }
  kind_ = Kind::kGzip;
  z_stream *z = new z_stream();
  input_ = static_cast<char *>(std::malloc(kChunk));
  if (input_ == nullptr || inflateInit2(z, 15 + 16) != Z_OK) {  // 15 + 16: gzip wrapper only
    delete z;
    file_error(path_, 0, "out of memory for decompression");
  }
  stream_ = z;
  std::memcpy(input_, to, got);
  z->next_in = reinterpret_cast<Bytef *>(input_);
  z->avail_in = static_cast<uInt>(got);
  return inflate_some(to, room);
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
  size_t got = produce(buffer_ + end_, kChunk);
  if (got == 0) {
    at_eof_ = true;
    return false;
  }
  end_ += got;
  return true;
}

void LineReader::skip_byte_order_mark() {
  mark_checked_ = true;
  while (end_ - begin_ < 3 && refill()) {
  }
  if (end_ - begin_ >= 3 && std::memcmp(buffer_ + begin_, "\xEF\xBB\xBF", 3) == 0) begin_ += 3;
}

bool LineReader::next(std::string_view &line) {
  if (!mark_checked_) skip_byte_order_mark();
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
    if (unread > kMaxLine)
      file_error(path_, line_number_ + 1,
                 "the line is longer than %zu bytes; is this the right file?", kMaxLine);
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

bool LineReader::next_length(int64_t &length, std::string_view &head, int64_t max_length) {
  if (!mark_checked_) skip_byte_order_mark();
  length = 0;
  head = std::string_view();
  last_byte_ = 0;
  bool any = false;  // a line exists once it has a byte or a line feed
  for (;;) {
    if (begin_ == end_ && !refill()) {
      if (any) ++line_number_;
      return any;
    }
    size_t avail = end_ - begin_;
    const void *found = std::memchr(buffer_ + begin_, '\n', avail);
    size_t taken =
        found ? static_cast<size_t>(static_cast<const char *>(found) - (buffer_ + begin_)) : avail;
    // A line within the buffer is shown where it lies; the start of a longer one is copied,
    // since the buffer moves when it is refilled.
    const size_t head_bytes =
        std::min(taken, kHeadBytes - std::min(kHeadBytes, static_cast<size_t>(length)));
    if (found != nullptr && !any) {
      head = std::string_view(buffer_ + begin_, head_bytes);
    } else {
      if (!any) head_copy_.clear();
      head_copy_.append(buffer_ + begin_, head_bytes);
      head = head_copy_;
    }
    any = true;
    length += static_cast<int64_t>(taken);
    if (taken > 0) last_byte_ = buffer_[begin_ + taken - 1];
    if (found != nullptr) {
      begin_ += taken + 1;
      ++line_number_;
      return true;
    }
    begin_ = end_;
    if (length > max_length) {
      ++line_number_;
      return true;
    }
  }
}
