// Reading a test text: blanks and comments, prefix-matched tokens,
// identifiers, numbers and strings, and the parse errors that report a
// place in the text. There is no token stream: every reader works at the
// reading position and moves it on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parse.h"
#include "test.h"

// A place in the text. line counts from 1; the column is pos - line_start + 1.
struct ParsePosition {
  const char *pos = nullptr;
  const char *line_start = nullptr;
  int line = 1;
};

// The parse in progress, registered with its run. While it exists, parse
// errors name its text and parse_error reports its reading position; when
// it ends, the run keeps the place where it stopped for errors raised
// after parsing.
struct Parser {
  ParseRun &run;
  const char *text_name;
  ParsePosition at;
  Scope *scopes = nullptr;  // innermost "let" first
  int depth = 0;            // nesting of whole tests and "!" operands here
  int reach = 0;            // deepest nesting seen, counting bound values

  Parser(ParseRun &run, const char *text_name, const char *text);
  Parser(const Parser &) = delete;
  Parser &operator=(const Parser &) = delete;
  ~Parser();
};

// Skips white space and "#" comments, counting lines.
void skip_blanks(ParsePosition &at);

// True when the text at the position begins with token.
bool peek(const ParsePosition &at, std::string_view token);

// Like peek, and on a match moves past the token and its blanks.
bool accept(ParsePosition &at, std::string_view token);

// A letter or "_", then letters, digits and "_"; empty when none is there.
std::string_view read_ident(ParsePosition &at);

// A decimal number with an optional size suffix at the parser's reading
// position. False, without moving, when the position holds no digit.
bool read_number(Parser &p, int64_t &value);

// A string literal or a $NAME environment reference at the parser's
// reading position. False, without moving, when the position holds neither.
bool read_string(Parser &p, std::string &value);

// Writes the prefix (program, text name, line and column of the reading
// position) and the message (a printf format), then ends the run with
// status 2.
[[noreturn]] void parse_error_here(const Parser &p, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Writes the prefix at a position of the parse in progress, the message,
// and " at '...'" quoting up to 16 bytes of the text from there to the end
// of its line. Ends the run with status 2.
[[noreturn]] void parse_error_with_excerpt(const Parser &p, const ParsePosition &at,
                                           const char *message);

// perror under label, as for a failed duplication or record allocation,
// then ends the program with status 2.
[[noreturn]] void parse_out_of_memory(const ParseRun &run, const char *label);
