// Parsing qxfilter tests into test trees (see test.h), and the run-wide
// state the parser shares with evaluation and the driver.
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "test.h"

struct Parser;

// Receives every complete diagnostic of the parser (with its newline) and
// the exit status. Must not return.
using ParseFailureHandler = void (*)(const char *diagnostic, int status);

// The default handler: throws the diagnostic and status as a ToolExit for
// the tool's main.
[[noreturn]] void parse_end_run(const char *diagnostic, int status);

// Where a parse stopped; errors raised after parsing report this place.
struct ParsePlace {
  std::string text_name;
  int line = 1;
  long column = 1;
};

// What parsing shares with the rest of a qxfilter run: one per run, set up
// by the driver before the first parse.
struct ParseRun {
  const char *program_name = "qxfilter";  // argv[0], the first word of every diagnostic
  time_t start_time = 0;                  // relative times in tests count back from it
  // Set to 1 by parsing "replies", "parent" or "child" anywhere in a test
  // (the driver also sets it for -T); thread mode is on when it is 1.
  int thread_buffering = 0;
  // Tests and the fuzzer install one that throws their own.
  ParseFailureHandler failure = parse_end_run;
  const Parser *active = nullptr;  // the parse in progress, if any
  ParsePlace last_place;           // where the last parse ended
};

// Parses one test. text_name is "argv" for a -t test or the file name for
// a -F file and appears in error messages. Returns nullptr for an empty
// test. The tree keeps no pointer into text. Any error ends the run with
// status 2, through the run's failure handler.
std::unique_ptr<TestNode> parse_test(ParseRun &run, const char *text_name, const char *text);

// Writes the prefix and the message (a printf format) at the reading position
// of the parse in progress, or at the place where the last parse ended
// (for errors found while evaluating). Ends the program with status 2.
[[noreturn]] void parse_error(const ParseRun &run, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
