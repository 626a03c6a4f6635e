// The one way a tool ends: whatever its status, standard output is flushed
// and checked first, so a lost write is never reported as success.
#pragma once

#include <functional>

// Flushes standard output. When a write to it failed (now, or earlier as
// write_error or the stream's error flag tell), writes "<tool>: standard
// output: <system text>" to standard error and returns error_status;
// otherwise returns status. A reader that went away (EPIPE) is not
// reported and leaves status as it is.
int stdout_finish(const char *tool, int status, int error_status, int write_error = 0);

// Runs a tool's main body and ends the run through stdout_finish. A
// ToolExit thrown from the body writes its message (and its hint, after
// the tool's name) and gives its status;
// a failed write to standard output then keeps that (nonzero) status.
int tool_main(const char *tool, int error_status, const std::function<int()> &body);

// The name tool_main was given, for shared code that reports a problem
// and goes on; "quobix" outside tool_main.
const char *tool_name();
