// Test helpers for the test language: parse errors become exceptions, and
// trees are written out as text, so a case is one input and one result.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "parse.h"
#include "test.h"

// A parse error caught instead of ending the program.
struct ParseFailure {
  std::string diagnostic;
  int status;
};

// The tree written as nested calls: And(Flag(64), Gt(size, 10240)).
std::string tree_text(const TestNode *node);

// Every test parses in its own run, whose parse errors throw ParseFailure;
// TZ is UTC and the start time is fixed, so times have known values.
class ParseTest : public ::testing::Test {
 protected:
  static constexpr time_t kStart = 1700000000;  // 2023-11-14 22:13:20 UTC

  void SetUp() override;

  // tree_text of the parse, "(none)" for an empty test, or the diagnostic
  // of the parse error (which must exit with status 2).
  std::string parse_result(const char *text, const char *text_name = "argv");

  ParseRun run;
};
