// The temporary files of outputs being written, tracked process-wide so that a signal that
// ends the process removes them; a write that fails removes its own before it reports.
#pragma once

#include <cstddef>

// SIGINT, SIGTERM, SIGHUP and SIGPIPE (a pipe whose reader is gone; unless ignored when the
// run started, as under nohup) remove the temporary files in flight and then end the process by
// that signal, so the shell sees status 128 + the signal's number. SIGXFSZ is ignored, so a write
// beyond the file size limit fails with "File too large" and is reported and cleaned up like any
// failed write.
void stop_on_signals();

// For a program that has not called stop_on_signals, such as one using the library: while any
// guard lives (on any thread), SIGINT, SIGTERM and SIGHUP whose action was the default one of
// ending the process act as under stop_on_signals; when the last guard ends, the default comes
// back. Handlers the program set are left alone.
class SignalCleanup {
 public:
  SignalCleanup();
  ~SignalCleanup();
  SignalCleanup(const SignalCleanup &) = delete;
  SignalCleanup &operator=(const SignalCleanup &) = delete;
};

// Creating or settling a temporary file (creating it and tracking it, or renaming or removing
// it and untracking it) happens between begin_temp_change and end_temp_change; a signal that
// arrives in between is acted on at the end, so no file escapes the clean-up. The two calls
// must not be nested, and nothing between them may stop the run.
void begin_temp_change();
void end_temp_change();

// Between the two calls above: starts or stops tracking the file `name` in the directory open
// as `dir_fd`; both must stay valid (and unchanged) until it is untracked. False when too many
// files are tracked already.
bool track_temp_file(int dir_fd, const char *name);
void untrack_temp_file(const char *name);

// Makes room for `count` more files tracked at once, until release_temp_files(count). Not
// between the two calls above.
void reserve_temp_files(size_t count);
void release_temp_files(size_t count);
