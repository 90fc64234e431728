// Text placed in the HTML report: markup characters escaped, and bytes that are not valid
// UTF-8 or are control characters (a motif file may use any byte as a letter) shown as U+FFFD,
// so any input gives a page every browser parses the same way.
#pragma once

#include <string>
#include <string_view>

void append_escaped(std::string &out, std::string_view text);
std::string escaped(std::string_view text);

// `bytes` as a data: URI of type `type`, base64-encoded, for a link that saves a file.
std::string data_uri(std::string_view type, std::string_view bytes);
