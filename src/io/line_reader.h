// Reads a text file line by line, plain or gzip-compressed (told apart by the file's first
// bytes). A line is the text before the next line feed; a last line without a line feed still
// counts, and a line feed at the very end adds no empty line. Any failure to open or read, and
// compressed data that is corrupt or ends early, is reported against the file and stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class LineReader {
 public:
  explicit LineReader(const char *path);
  ~LineReader();
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;

  // The next line, without its line feed; valid until the next call. False at end of file.
  bool next(std::string_view &line);

  // Like next() for callers that need only a line's length and first byte (0 for an empty
  // line); memory stays small however long the line is.
  bool next_length(int64_t &length, char &first);

  // Number of the line last returned, counted from 1.
  long line_number() const { return line_number_; }
  const char *path() const { return path_; }

 private:
  // Reads more bytes behind the unread ones; false when the file has none left.
  bool refill();

  const char *path_;
  void *gz_ = nullptr;  // the zlib stream; also reads plain files unchanged
  char *buffer_ = nullptr;
  size_t capacity_ = 0;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  bool at_eof_ = false;
  long line_number_ = 0;
};
