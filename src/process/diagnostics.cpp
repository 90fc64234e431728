#include "process/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

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

}  // namespace

void file_error(const char *path, long line, const char *format, ...) {
  va_list args;
  va_start(args, format);
  const std::string message = formatted(format, args);
  va_end(args);
  // A path may hold any byte but NUL; a line feed or an escape sequence in it must not split
  // the message or reach the terminal.
  std::string text = printable(path);
  if (line > 0) text += ":" + std::to_string(line);
  throw motifsig::Error(text + ": " + message, 1, path, line > 0 ? line : 0);
}

void system_file_error(const char *path, int error_number, const char *what) {
  throw motifsig::Error(printable(path) + ": " + what + ": " + std::strerror(error_number), 1, path,
                        0, error_number);
}

void input_error(const char *format, ...) {
  va_list args;
  va_start(args, format);
  const std::string message = formatted(format, args);
  va_end(args);
  throw motifsig::Error(message, 1);
}

BareError::BareError(const std::string &message, std::string out) : motifsig::Error(message, 1) {
  prefixed_ = false;
  standard_output_ = std::move(out);
}

BareError::BareError(const std::string &lead, const BareError &bare, std::string file)
    : motifsig::Error(lead + "\n" + bare.what(), 1, std::move(file)) {
  standard_output_ = bare.standard_output();
}

Warnings::Warnings(std::function<void(const motifsig::Warning &)> on_warning)
    : on_warning_(std::move(on_warning)) {}

void Warnings::add(const char *path, long line, const char *format, ...) {
  va_list args;
  va_start(args, format);
  list_.push_back({path, line > 0 ? line : 0, formatted(format, args)});
  va_end(args);
  if (on_warning_) on_warning_(list_.back());
}

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
