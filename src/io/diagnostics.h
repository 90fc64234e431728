// Error messages for input and output files: one line on standard error,
// "motifsig: FILE:LINE: what is wrong" (no LINE when the fault is not on a line), then the
// run stops with exit status 1.
#pragma once

// Line 0 means "no particular line".
[[noreturn]] void file_error(const char *path, long line, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
