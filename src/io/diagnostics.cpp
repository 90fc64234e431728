#include "io/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "records/run_stop.h"

namespace {
std::vector<RunWarning> warnings;

std::string formatted(const char *format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size <= 0) return "";
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.pop_back();
  return text;
}

void print_message(const char *kind, const char *path, long line, const char *format,
                   va_list args) {
  std::fflush(stdout);
  // A path may hold any byte but NUL; a line feed or an escape sequence in it must not split
  // the message or reach the terminal.
  const std::string shown = printable(path);
  if (line > 0)
    std::fprintf(stderr, "motifsig: %s%s:%ld: ", kind, shown.c_str(), line);
  else
    std::fprintf(stderr, "motifsig: %s%s: ", kind, shown.c_str());
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}
}  // namespace

void file_error(const char *path, long line, const char *format, ...) {
  va_list args;
  va_start(args, format);
  print_message("", path, line, format, args);
  va_end(args);
  stop_run(1);
}

void file_warning(const char *path, long line, const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = formatted(format, args);
  va_end(args);
  va_start(args, format);
  print_message("warning: ", path, line, format, args);
  va_end(args);
  warnings.push_back({path, line, std::move(message)});
}

const std::vector<RunWarning> &run_warnings() { return warnings; }

void clear_run_warnings() { warnings.clear(); }

std::string printable(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == 0) {
      out += "\\0";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}
