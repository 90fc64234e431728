// Reads a text file line by line, plain or gzip-compressed (told apart by the file's first
// bytes). A line is the text before the next line feed; a last line without a line feed still
// counts, and a line feed at the very end adds no empty line. A UTF-8 byte-order mark at the
// start is skipped. Any failure to open or read, compressed data that is corrupt or ends early,
// and other data after the last compressed member are reported against the file and stop the
// run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class LineReader {
 public:
  // Longest line next() holds in memory; a longer one (say, from /dev/zero) stops the run
  // while it is being read.
  static constexpr size_t kMaxLine = size_t{1} << 26;
  // Bytes of a line's start that next_length() copies out.
  static constexpr size_t kHeadBytes = 128;

  explicit LineReader(const char *path);
  ~LineReader();
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;

  // The next line, without its line feed; valid until the next call. False at end of file.
  bool next(std::string_view &line);

  // Like next() for callers that need only a line's length and its first kHeadBytes bytes
  // (`head`, valid until the next call); memory stays small however long the line is. Once a
  // line passes `max_length` bytes it is returned at once, with `length` above the limit; the
  // caller must stop there.
  bool next_length(int64_t &length, std::string_view &head, int64_t max_length);
  // The last byte of the line next_length() returned; 0 when it was empty.
  char last_byte() const { return last_byte_; }

  // Number of the line last returned, counted from 1.
  long line_number() const { return line_number_; }
  const char *path() const { return path_; }

 private:
  enum class Kind { kUnknown, kPlain, kGzip };

  // Reads more bytes behind the unread ones; false when the file has none left.
  bool refill();
  // Up to `room` bytes of the file's text into `to`; 0 at its end.
  size_t produce(char *to, size_t room);
  size_t read_some(char *to, size_t room);
  size_t inflate_some(char *to, size_t room);
  // Makes at least `wanted` compressed bytes available; false if the file ends first.
  bool fill_input(size_t wanted);
  void skip_byte_order_mark();

  const char *path_;
  int fd_ = -1;
  Kind kind_ = Kind::kUnknown;
  void *stream_ = nullptr;  // the zlib stream of a compressed file
  char *input_ = nullptr;   // compressed bytes not yet inflated
  bool member_ended_ = false;
  char *buffer_ = nullptr;
  size_t capacity_ = 0;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  bool at_eof_ = false;
  bool mark_checked_ = false;
  std::string head_copy_;  // the start of a line longer than the buffer held
  char last_byte_ = 0;
  long line_number_ = 0;
};
