#include "report/markup.h"

#include <algorithm>
#include <cstdint>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// Length of the valid UTF-8 sequence starting at text[i], or 0.
size_t utf8_length(std::string_view text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t length;
  unsigned min;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2, min = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3, min = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4, min = 0x10000;
  else
    return 0;
  if (i + length > text.size()) return 0;
  unsigned code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

void append_escaped(std::string &out, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        out += "&quot;";
        continue;
      case '\'':
        out += "&#39;";
        continue;
      case '\n':
      case '\t':
        out += static_cast<char>(c);
        continue;
    }
    if (c < 0x20 || c == 0x7F) {
      out += kReplacement;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (size_t length = utf8_length(text, i)) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      out += kReplacement;
    }
  }
}

std::string escaped(std::string_view text) {
  std::string out;
  append_escaped(out, text);
  return out;
}

std::string data_uri(std::string_view type, std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out = "data:" + std::string(type) + ";base64,";
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[group >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}
