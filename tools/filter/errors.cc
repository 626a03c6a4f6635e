// Parse errors: the diagnostic names the program, the text and the place,
// and the run ends with status 2 (a ToolExit for the tool's main).
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "lexer.h"
#include "util/error.h"

namespace {

// Memory may have run out: a diagnostic that cannot be copied is written
// here rather than lost.
[[noreturn]] void end_run(const char *diagnostic, int status) {
  ToolExit end{{}, status};
  try {
    end.message = diagnostic;
  } catch (const std::bad_alloc &) {
    fputs(diagnostic, stderr);
  }
  throw end;
}

// The parse in progress, and where the last one ended: errors raised by
// evaluation report that place.
const Parser *active_parser = nullptr;
struct {
  std::string text_name;
  int line = 1;
  long column = 1;
} last_place;

long column_of(const ParsePosition &at) { return at.pos - at.line_start + 1; }

const char *text_name() {
  return active_parser ? active_parser->text_name : last_place.text_name.c_str();
}

void append_vformat(std::string &out, const char *format, va_list args) {
  va_list again;
  va_copy(again, args);
  int length = vsnprintf(nullptr, 0, format, args);
  if (length > 0) {
    size_t old = out.size();
    out.resize(old + length + 1);
    vsnprintf(out.data() + old, length + 1, format, again);
    out.resize(old + length);
  }
  va_end(again);
}

std::string prefix(int line, long column) {
  std::string out;
  int length =
      snprintf(nullptr, 0, "%s: parse error: %s:%d:%ld: ", program_name, text_name(), line, column);
  out.resize(length + 1);
  snprintf(out.data(), length + 1, "%s: parse error: %s:%d:%ld: ", program_name, text_name(), line,
           column);
  out.resize(length);
  return out;
}

[[noreturn]] void fail(const char *diagnostic) {
  parse_failure(diagnostic, 2);
  end_run(diagnostic, 2);  // a replaced handler that returns still ends the run
}

[[noreturn]] void fail_with(std::string diagnostic, const char *format, va_list args) {
  append_vformat(diagnostic, format, args);
  diagnostic += '\n';
  fail(diagnostic.c_str());
}

}  // namespace

void (*parse_failure)(const char *diagnostic, int status) = end_run;

Parser::Parser(const char *name, const char *text) : text_name(name), at{text, text, 1} {
  active_parser = this;
}

Parser::~Parser() {
  last_place.text_name = text_name;
  last_place.line = at.line;
  last_place.column = column_of(at);
  active_parser = nullptr;
}

void parse_error(const char *format, ...) {
  va_list args;
  va_start(args, format);
  if (active_parser) {
    fail_with(prefix(active_parser->at.line, column_of(active_parser->at)), format, args);
  }
  fail_with(prefix(last_place.line, last_place.column), format, args);
}

void parse_error_here(const ParsePosition &at, const char *format, ...) {
  va_list args;
  va_start(args, format);
  fail_with(prefix(at.line, column_of(at)), format, args);
}

void parse_error_with_excerpt(const ParsePosition &at, const char *message) {
  std::string diagnostic = prefix(at.line, column_of(at));
  size_t excerpt = 0;
  while (excerpt < 16 && at.pos[excerpt] != '\0' && at.pos[excerpt] != '\n') ++excerpt;
  diagnostic.append(message).append(" at '").append(at.pos, excerpt).append("'\n");
  fail(diagnostic.c_str());
}

void parse_out_of_memory(const char *label) {
  // Memory has run out: no allocation here.
  char diagnostic[128];
  snprintf(diagnostic, sizeof diagnostic, "%s: %s\n", label, strerror(ENOMEM));
  fail(diagnostic);
}
