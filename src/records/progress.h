// The progress lines on standard output, one per step of a run and one per motif, each flushed
// at once so that a long run shows where it is. --quiet turns them off, and with them the
// progress line that long runs redraw on a terminal.
#pragma once

void set_progress_lines(bool on);
bool progress_lines_on();

// Writes one progress line (a line feed is added) unless they are off.
void progress_line(const char *format, ...) __attribute__((format(printf, 1, 2)));
