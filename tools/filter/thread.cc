// Thread mode: a line without indentation starts a thread; each indented
// line is linked under the nearest earlier message of smaller depth.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "filter.h"
#include "util/error.h"

namespace {

std::unique_ptr<char[]> copy_line(const char *line) {
  size_t size = strlen(line) + 1;
  std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
  if (!copy) {
    // Memory has run out: the message is written here, without allocating.
    errno = ENOMEM;
    perror("strdup");
    throw ToolExit{{}, 2};
  }
  memcpy(copy.get(), line, size);
  return copy;
}

// The parent of a new entry of depth d (above 0) after the last entry.
int parent_of(const std::vector<ThreadEntry> &entries, int depth) {
  int last = static_cast<int>(entries.size()) - 1;
  int last_depth = entries[last].link_depth;
  if (depth > last_depth) return last;
  if (depth == last_depth) return entries[last].parent;
  int candidate = last - 1;
  while (candidate > 0 && entries[candidate].link_depth >= depth) --candidate;
  return candidate;
}

}  // namespace

void thread_add(FilterRun &run, const char *line, MessageLoad &&load) {
  ThreadEntry entry;
  entry.line = copy_line(line);
  record_message(run.eval, entry.state, entry.line.get());
  entry.state.load = std::move(load);
  int depth = entry.state.depth;

  // An indented line with no thread to join starts one of its own.
  if (depth == 0 || !run.thread) {
    if (run.thread) thread_flush(run);
    run.thread.emplace();
    run.thread->entries.reserve(100);
    run.thread->entries.push_back(std::move(entry));
    return;
  }
  std::vector<ThreadEntry> &entries = run.thread->entries;
  entry.link_depth = depth;
  entry.parent = parent_of(entries, depth);
  entries[entry.parent].state.flags |= kFlagParent;
  entry.state.flags |= kFlagChild;
  for (int ancestor = entry.parent; ancestor >= 0; ancestor = entries[ancestor].parent)
    ++entries[ancestor].state.replies;
  entries.push_back(std::move(entry));
}

void thread_flush(FilterRun &run) {
  ThreadBuffer &thread = *run.thread;
  for (ThreadEntry &entry : thread.entries) {
    MessageState &state = entry.state;
    state.pruned = run.eval.prune_seen;
    bool decided = run.whole_threads && thread.picked > 0;
    if (!state.pruned && !decided && run.test && evaluate(run.eval, run.test, state)) {
      state.picked = 1;
      ++thread.picked;
    }
  }
  run.eval.prune_seen = 0;
  bool whole = run.whole_threads && thread.picked > 0;
  for (const ThreadEntry &entry : thread.entries) {
    if (!entry.state.pruned && (whole || entry.state.picked)) print_line(run, entry.state.line);
  }
  run.thread.reset();
}
