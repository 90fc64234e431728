// Allocation for the statistics' growable arrays. When the element count is not positive or
// the allocation fails, the run ends with status 1 and this two-line message (a BareError):
//   Resize(<array>, <count expression>, <element type>) failed!
//   <count expression> = <count>
#pragma once

#include <cstdlib>
#include <string>

#include "process/diagnostics.h"

// Reallocates `array` (nullptr: allocates it) to `count` elements, keeping its contents.
template <typename T>
void Resize(T *&array, long count, const char *array_name, const char *count_expr,
            const char *type_name) {
  void *grown = count > 0 ? std::realloc(array, static_cast<size_t>(count) * sizeof(T)) : nullptr;
  if (grown == nullptr)
    throw BareError("Resize(" + std::string(array_name) + ", " + count_expr + ", " + type_name +
                    ") failed!\n" + count_expr + " = " + std::to_string(count));
  array = static_cast<T *>(grown);
}

// A row table of the column LLR distribution that could not be allocated (which = 1: the
// array of rows; which = 2: a row) ends the run with status 1; the second kind is also told on
// standard output.
[[noreturn]] inline void row_malloc_failed(int which) {
  const std::string message = "malloc failed " + std::to_string(which);
  throw BareError(message, which == 2 ? message + "\n" : std::string());
}
