// Deciding messages and printing the selected ones: plain mode decides each
// message as it comes; thread mode collects a thread, links its messages to
// their parents, and decides and prints the thread once it is complete.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "eval.h"
#include "parse.h"
#include "test.h"

// One message of a buffered thread, with its own copy of the input line.
struct ThreadEntry {
  std::unique_ptr<char[]> line;  // state.line and state.path point into it
  MessageState state;
  int parent = -1;     // entry index; -1 for the first message
  int link_depth = 0;  // depth used for linking (0 for the first message)
};

// The thread being collected, in input order.
struct ThreadBuffer {
  int picked = 0;  // entries the test selected
  std::vector<ThreadEntry> entries;
};

// One qxfilter run: what parsing found and evaluation counts, and the
// driver's own state.
struct FilterRun {
  ParseRun parse;
  EvalRun eval;
  const TestNode *test = nullptr;  // none: plain mode prints every message
  bool whole_threads = false;      // -T
  std::optional<ThreadBuffer> thread;
  int stdout_error = 0;  // errno of the first failed write to standard output

  FilterRun() { eval.parse = &parse; }
  FilterRun(const FilterRun &) = delete;  // eval points into it
  FilterRun &operator=(const FilterRun &) = delete;
};

// Plain mode: records, decides and prints one message; load holds its
// header section if it was read ahead.
void filter_one(FilterRun &run, const char *line, MessageLoad &&load = MessageLoad{});

// Thread mode: adds a message (with its load, kept until the thread is
// decided) to the current thread, first flushing the thread when the line
// starts a new one.
void thread_add(FilterRun &run, const char *line, MessageLoad &&load = MessageLoad{});

// Decides and prints the buffered thread, then releases it.
void thread_flush(FilterRun &run);

// Writes a selected line and a newline to standard output and counts it.
void print_line(FilterRun &run, const char *line);
