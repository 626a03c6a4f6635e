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

long column_of(const ParsePosition &at) { return at.pos - at.line_start + 1; }

const char *text_name(const ParseRun &run) {
  return run.active ? run.active->text_name : run.last_place.text_name.c_str();
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

std::string prefix(const ParseRun &run, int line, long column) {
  std::string out;
  const char *name = text_name(run);
  int length =
      snprintf(nullptr, 0, "%s: parse error: %s:%d:%ld: ", run.program_name, name, line, column);
  out.resize(length + 1);
  snprintf(out.data(), length + 1, "%s: parse error: %s:%d:%ld: ", run.program_name, name, line,
           column);
  out.resize(length);
  return out;
}

[[noreturn]] void fail(const ParseRun &run, const char *diagnostic) {
  run.failure(diagnostic, 2);
  parse_end_run(diagnostic, 2);  // a replaced handler that returns still ends the run
}

[[noreturn]] void fail_with(const ParseRun &run, std::string diagnostic, const char *format,
                            va_list args) {
  append_vformat(diagnostic, format, args);
  diagnostic += '\n';
  fail(run, diagnostic.c_str());
}

}  // namespace

// Memory may have run out: a diagnostic that cannot be copied is written
// here rather than lost.
void parse_end_run(const char *diagnostic, int status) {
  ToolExit end{{}, status};
  try {
    end.message = diagnostic;
  } catch (const std::bad_alloc &) {
    fputs(diagnostic, stderr);
  }
  throw end;
}

Parser::Parser(ParseRun &parse_run, const char *name, const char *text)
    : run(parse_run), text_name(name), at{text, text, 1} {
  run.active = this;
}

Parser::~Parser() {
  run.last_place.text_name = text_name;
  run.last_place.line = at.line;
  run.last_place.column = column_of(at);
  run.active = nullptr;
}

void parse_error(const ParseRun &run, const char *format, ...) {
  va_list args;
  va_start(args, format);
  if (run.active) {
    const ParsePosition &at = run.active->at;
    fail_with(run, prefix(run, at.line, column_of(at)), format, args);
  }
  fail_with(run, prefix(run, run.last_place.line, run.last_place.column), format, args);
}

void parse_error_here(const Parser &p, const char *format, ...) {
  va_list args;
  va_start(args, format);
  fail_with(p.run, prefix(p.run, p.at.line, column_of(p.at)), format, args);
}

void parse_error_with_excerpt(const Parser &p, const ParsePosition &at, const char *message) {
  std::string diagnostic = prefix(p.run, at.line, column_of(at));
  size_t excerpt = 0;
  while (excerpt < 16 && at.pos[excerpt] != '\0' && at.pos[excerpt] != '\n') ++excerpt;
  diagnostic.append(message).append(" at '").append(at.pos, excerpt).append("'\n");
  fail(p.run, diagnostic.c_str());
}

void parse_out_of_memory(const ParseRun &run, const char *label) {
  // Memory has run out: no allocation here.
  char diagnostic[128];
  snprintf(diagnostic, sizeof diagnostic, "%s: %s\n", label, strerror(ENOMEM));
  fail(run, diagnostic);
}
