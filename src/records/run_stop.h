// The one way a run ends early. Every fatal error (bad input, failed output, failed
// allocation) has printed its message before it calls stop_run. A fuzzing harness or a test
// may install its own handler to regain control instead of losing the process.
#pragma once

using StopHandler = void (*)(int status);

// Ends the run with `status`: calls the installed handler, then exits.
[[noreturn]] void stop_run(int status);

// Installs `handler` (nullptr restores plain exit) and returns the previous one. A handler that
// returns still ends the process.
StopHandler set_stop_handler(StopHandler handler);
