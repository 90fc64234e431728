// Allocate-or-die for the statistics' growable arrays. When the element count is not positive
// or the allocation fails, two lines go to standard error and the run ends with status 1:
//   Resize(<array>, <count expression>, <element type>) failed!
//   <count expression> = <count>
#pragma once

#include <cstdio>
#include <cstdlib>

#include "records/run_stop.h"

// Reallocates `array` (nullptr: allocates it) to `count` elements, keeping its contents.
template <typename T>
void Resize(T *&array, long count, const char *array_name, const char *count_expr,
            const char *type_name) {
  void *grown = count > 0 ? std::realloc(array, static_cast<size_t>(count) * sizeof(T)) : nullptr;
  if (grown == nullptr) {
    std::fflush(stdout);
    std::fprintf(stderr, "Resize(%s, %s, %s) failed!\n", array_name, count_expr, type_name);
    std::fprintf(stderr, "%s = %ld\n", count_expr, count);
    stop_run(1);
  }
  array = static_cast<T *>(grown);
}

// Reports a row table of the column LLR distribution that could not be allocated
// (which = 1: the array of rows; which = 2: a row) and ends the run with status 1.
[[noreturn]] inline void row_malloc_failed(int which) {
  if (which == 2) {
    std::printf("malloc failed 2\n");
    std::fflush(stdout);
  }
  std::fprintf(stderr, "malloc failed %d\n", which);
  stop_run(1);
}
