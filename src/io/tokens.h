// Whitespace-separated tokens of one line, and strict conversion of a whole token to a number:
// "0.25C" or "2.5" (as an integer) are not numbers, so a damaged file is never half-read.
#pragma once

#include <cstdint>
#include <string_view>

// Splits off the next token of `rest` (blanks, tabs, carriage returns, vertical tabs and form
// feeds separate tokens). False when only whitespace is left.
bool next_token(std::string_view &rest, std::string_view &token);

// A decimal number, optionally signed, with an optional fraction and exponent (as "1", "-0.5",
// ".5", "2.", "1e-3"). False for anything else, including "inf", "nan" and hexadecimal.
bool parse_double(std::string_view token, double &value);

// An optionally signed decimal integer that fits 32 bits.
bool parse_int(std::string_view token, int32_t &value);

// Reads an integer from the start of `text` the way stream extraction does: leading whitespace,
// an optional sign, then digits up to the first character that cannot continue the number.
// False when no digit follows; a value beyond 32 bits is clamped to the nearest limit.
// `written` gets the sign and digits as they stand in the text, for messages.
bool parse_leading_int(std::string_view text, int64_t &value, std::string_view &written);
