// Output targets of redirections in tests: files and shell commands that
// receive message lines. Each kind, target and mode is opened once, the
// first time it is used, and stays open until the end of the run.
#pragma once

#include <cstdio>

#include "test.h"

// The open stream for a ToFile or ToPipe node; program begins the
// diagnostics. Flushes standard output
// before opening a new target; a target that cannot be opened ends the run
// with status 3 (a ToolExit).
FILE *output_open(const char *program, const TestNode *node);

// Writes line and a newline to the node's target and flushes it. A reader
// that has gone away is not an error; any other write error is reported
// once, and the target then receives nothing more.
void output_line(const char *program, const TestNode *node, const char *line);

// Closes every target in opening order: pclose for commands, fclose for files.
void outputs_close_all();
