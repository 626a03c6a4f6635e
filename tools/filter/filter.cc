#include "filter.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "util/display.h"

void print_line(FilterRun &run, const char *line) {
  if (display_line(stdout, line) == EOF) {
    if (!run.stdout_error) run.stdout_error = errno;
  }
  ++run.eval.picked_total;
}

void filter_one(FilterRun &run, const char *line, MessageLoad &&load) {
  static std::string copy;  // the mutable line, its room reused for every message
  copy.assign(line);
  MessageState state;
  record_message(run.eval, state, copy.data());
  state.load = std::move(load);
  if (!run.test || evaluate(run.eval, run.test, state)) {
    print_line(run, state.line);
    if (fflush(stdout) == EOF && !run.stdout_error) run.stdout_error = errno;
  }
}
