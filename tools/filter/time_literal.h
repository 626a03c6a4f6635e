// The value of a time string in a time comparison: a file's modification
// time, a local date and time, a time of the start day, or a time
// relative to the start of the run.
#pragma once

#include <cstdint>

struct ParseRun;

// Seconds since the epoch for the string, relative forms counted from the
// run's start time; an unknown form ends the program with a parse error at
// the reading position.
int64_t time_literal_value(const ParseRun &run, const char *text);
