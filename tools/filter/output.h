// Output targets of redirections in tests: files and shell commands that
// receive message lines. Each kind, target and mode is opened once, the
// first time it is used, and stays open until the end of the run.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "test.h"

struct OutputTarget {
  NodeKind kind;
  std::string target;
  const char *mode;
  FILE *stream;
  bool failed = false;  // a write failed: reported once, nothing more is written
};

// The targets of one run, in opening order.
struct OutputTargets {
  std::vector<OutputTarget> open;
  bool lost_lines = false;  // a line or the close of a target failed and was reported
};

// The status a run ends with when a target could not be opened or lost lines.
constexpr int kTargetFailedStatus = 3;

// The open target for a ToFile or ToPipe node; program begins the
// diagnostics. Flushes standard output before opening a new target; a
// target that cannot be opened ends the run with status 3 (a ToolExit).
OutputTarget &output_open(OutputTargets &targets, const char *program, const TestNode *node);

// Writes line and a newline to the node's target and flushes it. A failed
// write is reported once per target ("<program>: <target>: <system
// text>"), and the target then receives nothing more. A command that has
// stopped reading is its own business and is not reported.
void output_line(OutputTargets &targets, const char *program, const TestNode *node,
                 const char *line);

// Closes every target in opening order: pclose for commands (whose exit
// status is theirs), fclose for files, reporting a file whose close fails.
// Returns 0, or 3 when any target lost lines.
int outputs_close_all(OutputTargets &targets, const char *program);
