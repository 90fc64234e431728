#include "io/tokens.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool next_token(std::string_view &rest, std::string_view &token) {
  size_t start = 0;
  while (start < rest.size() && is_space(rest[start])) ++start;
  if (start == rest.size()) {
    rest = std::string_view();
    return false;
  }
  size_t stop = start;
  while (stop < rest.size() && !is_space(rest[stop])) ++stop;
  token = rest.substr(start, stop - start);
  rest.remove_prefix(stop);
  return true;
}

bool parse_double(std::string_view token, double &value) {
  size_t i = 0, n = token.size();
  if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && is_digit(token[i])) ++i, ++digits;
  if (i < n && token[i] == '.') {
    ++i;
    while (i < n && is_digit(token[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < n && is_digit(token[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != n) return false;
  // strtod gives the correctly rounded value, as stream extraction does.
  std::string text(token);
  value = std::strtod(text.c_str(), nullptr);
  return true;
}

bool parse_int(std::string_view token, int32_t &value) {
  size_t i = 0, n = token.size();
  bool negative = false;
  if (i < n && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  if (i == n) return false;
  int64_t magnitude = 0;
  for (; i < n; ++i) {
    if (!is_digit(token[i])) return false;
    magnitude = magnitude * 10 + (token[i] - '0');
    if (magnitude > int64_t{1} << 31) return false;
  }
  int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int32_t>::max()) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

bool parse_leading_int(std::string_view text, int64_t &value, std::string_view &written) {
  size_t i = 0, n = text.size();
  while (i < n && is_space(text[i])) ++i;
  const size_t start = i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == n || !is_digit(text[i])) return false;
  const int64_t limit = int64_t{1} << 31;
  int64_t magnitude = 0;
  for (; i < n && is_digit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  value = negative ? -magnitude : std::min(magnitude, limit - 1);
  written = text.substr(start, i - start);
  return true;
}
