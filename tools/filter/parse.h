// Parsing qxfilter tests into test trees (see test.h), and the run-wide
// state the parser shares with evaluation and the driver.
#pragma once

#include <ctime>
#include <memory>

#include "test.h"

// argv[0], the first word of every diagnostic. Set by the driver.
extern const char *program_name;

// The time the run started; relative times in tests count back from it.
// Set by the driver before the first parse.
extern time_t start_time;

// Set to 1 by parsing "replies", "parent" or "child" anywhere in a test
// (the driver also sets it for -T); thread mode is on when it is 1.
extern int thread_buffering;

// Parses one test. text_name is "argv" for a -t test or the file name for
// a -F file and appears in error messages. Returns nullptr for an empty
// test. The tree keeps no pointer into text. Any error ends the run with
// status 2, through parse_failure.
std::unique_ptr<TestNode> parse_test(const char *text_name, const char *text);

// Writes the prefix and the message (a printf format) at the reading position
// of the parse in progress, or at the place where the last parse ended
// (for errors found while evaluating). Ends the program with status 2.
[[noreturn]] void parse_error(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Receives every complete diagnostic of the parser (with its newline) and
// the exit status. The default throws them as a ToolExit for the tool's
// main; tests and the fuzzer install one that throws their own. Must not
// return.
extern void (*parse_failure)(const char *diagnostic, int status);
