#include "range.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config.h"
#include "sequence.h"
#include "util/error.h"

namespace {

constexpr int kDepthTable = 256;

bool is_separator(char c) { return c == ':' || c == '=' || c == '_' || c == '^'; }
bool at_element_end(const char *text) { return *text == '\0' || is_separator(*text); }

int64_t depth_of(const char *line) { return static_cast<int64_t>(strspn(line, " \t")); }

// Converts a decimal number as strtol does; a failure ends the tool.
int64_t number_at(const char *&text) {
  char *end = nullptr;
  errno = 0;
  long long value = strtoll(text, &end, 10);
  if (end == text && errno == 0) errno = EINVAL;
  if (errno != 0) throw errno_exit("strtol", errno, 2);
  text = end;
  return value;
}

// One number element of a Range; advances text past what it consumes.
int64_t range_number(const char *&text, int64_t cur, int64_t base, int64_t last) {
  int64_t value;
  if (strcmp(text, "+") == 0) {
    value = cur + 1;
    text += 1;
  } else if (strcmp(text, ".-") == 0) {
    value = cur - 1;
    text += 2;
  } else if (*text == '$' || *text == '.') {
    int64_t origin = *text == '$' ? last : cur;
    ++text;
    value = at_element_end(text) ? origin : origin + number_at(text);
  } else if (*text == '-') {
    value = last + 1 + number_at(text);
  } else if (*text == '+') {
    value = base + number_at(text);
  } else if (at_element_end(text)) {
    value = 1;
  } else {
    value = number_at(text);
  }
  if (value < 1) value = 1;
  if (value > last) value = last;
  return value;
}

// The line after the one at line, or nullptr when line is the last one.
const char *next_line(const char *line) {
  const char *end = strchr(line, '\n');
  return end ? end + 1 : nullptr;
}

// Selects the thread around state.start: from its root to the line before
// the next root.
bool select_thread(const char *text, RangeState &state) {
  if (state.start < 1 || state.start > state.lines) return false;
  int64_t root = 0, number = 0;
  state.stop = state.lines;
  for (const char *line = text; strchr(line, '\n'); line = next_line(line)) {
    ++number;
    bool is_root = *line != ' ' && *line != '\t';
    if (!is_root) continue;
    if (number <= state.start) {
      root = number;
    } else {
      state.stop = number - 1;
      break;
    }
  }
  state.start = root;
  return true;
}

// Selects state.start and the unbroken run of deeper lines after it.
bool select_subthread(const char *text, RangeState &state) {
  if (state.start > state.lines) return false;
  state.stop = state.lines;
  if (state.start == 0) return true;
  int64_t number = 0, depth = 0;
  for (const char *line = text; strchr(line, '\n'); line = next_line(line)) {
    ++number;
    if (number == state.start) {
      depth = depth_of(line);
    } else if (number > state.start && depth_of(line) <= depth) {
      state.stop = number - 1;
      break;
    }
  }
  return true;
}

// A word that names a file or folder here was most likely meant as one:
// only a name with "/" is read as a path.
std::string path_hint(const char *range) {
  struct stat status;
  if (stat(range, &status) != 0) return {};
  return std::string("'") + range + "' is read as a Range; write ./" + range + " for the " +
         (S_ISDIR(status.st_mode) ? "folder" : "file");
}

bool parse_range(const char *text, const char *range, RangeState &state) {
  const int64_t last = state.lines, cur = state.cur;
  const char *rest = range;
  state.start = 0;
  while (!at_element_end(rest)) {
    const char *before = rest;
    state.start = range_number(rest, cur, 0, last);
    if (rest == before) {
      fprintf(stderr, "can't parse range: %s\n", range);
      return false;
    }
  }
  if (state.start == 0) state.start = *rest == ':' ? 1 : cur;

  for (; *rest == '^'; ++rest) {
    state.start = thread_parent(text, state.start);
    state.stop = state.start;
    if (state.start == 0) {
      fprintf(stderr, "message not found for specified range: %s\n", range);
      return false;
    }
  }

  bool parsed = true;
  switch (*rest) {
    case ':':
      ++rest;
      if (*rest == '\0') {
        state.stop = last;
      } else {
        const char *before = rest;
        state.stop = range_number(rest, cur, state.start, last);
        parsed = rest != before;
      }
      break;
    case '=':
      parsed = select_thread(text, state);
      break;
    case '_':
      parsed = select_subthread(text, state);
      break;
    case '\0':
      state.stop = state.start;
      break;
    default:
      parsed = false;
  }
  if (!parsed) fprintf(stderr, "can't parse range: %s\n", range);
  return parsed;
}

}  // namespace

int64_t thread_parent(const char *text, int64_t n) {
  int64_t parents[kDepthTable] = {};
  int64_t number = 0;
  for (const char *line = text; n > 0 && strchr(line, '\n'); line = next_line(line)) {
    ++number;
    int64_t depth = depth_of(line);
    if (depth > kDepthTable - 1) depth = kDepthTable - 1;
    if (number == n) return depth == 0 ? 0 : parents[depth - 1];
    parents[depth] = number;
  }
  return 0;
}

bool range_resolve(const char *text, const char *range, RangeState &state, std::string &name) {
  if (strcmp(range, ".") == 0) {
    if (state.position) return false;
    state.position = range;  // marks the Current message as handed over
    const char *current = current_get();
    if (!current) return false;
    name = current;
    return true;
  }
  if (!text) return false;
  if (state.lines == 0) sequence_find_current(text, state.lines, state.cur);
  if (!state.position) {
    state.position = text;
    state.line = 1;
    bool parsed;
    try {
      parsed = parse_range(text, range, state);
    } catch (ToolExit &end) {
      end.hint = path_hint(range);
      throw;
    }
    if (!parsed) {
      state.start = 1;  // a failed Range selects nothing on every later call
      state.stop = 0;
    }
  }
  while (state.line < state.start) {
    state.position = next_line(state.position);
    if (!state.position) return false;
    ++state.line;
  }
  if (state.stop < state.line) {
    state.start = state.stop = 0;
    return false;
  }
  const char *end = strchr(state.position, '\n');
  if (!end) return false;
  name.assign(state.position, end);
  state.position = end + 1;
  ++state.line;
  return true;
}
