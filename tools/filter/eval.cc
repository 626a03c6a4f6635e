#include "eval.h"

#include <fnmatch.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "message/address.h"
#include "message/date.h"
#include "message/decode.h"
#include "parse.h"
#include "select/config.h"

namespace {

constexpr size_t kDecodeBufferSize = 4096;
char decode_buffer[kDecodeBufferSize];  // reused by every header test

// The Current message's name, fetched at the first recorded message.
const std::string *current_name() {
  static const std::optional<std::string> name = [] {
    const char *current = current_get();
    return current ? std::optional<std::string>(current) : std::nullopt;
  }();
  return name ? &*name : nullptr;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The length of name without its trailing blanks (one byte stays).
size_t trimmed_length(const char *name) {
  size_t length = strlen(name);
  while (length > 1 && is_blank(name[length - 1])) --length;
  return length;
}

// The status of the file, fetched once; null without a path. A failing
// stat leaves a zeroed record and clears the path.
const struct stat *state_status(MessageState &state) {
  if (!state.status && state.path) {
    state.status.emplace();
    if (stat(state.path, &*state.status) != 0) {
      *state.status = {};
      state.path = nullptr;
    }
  }
  return state.status ? &*state.status : nullptr;
}

// The header section, loaded once; null when there is none to be had. A
// failing load clears the path so that nothing is tried again.
const Message *state_message(MessageState &state) {
  if (!state.message && state.path) {
    state.message = message_load_take(state.load, state.path, LoadExtent::header);
    if (!state.message) state.path = nullptr;
  }
  return state.message.get();
}

int64_t state_date(MessageState &state) {
  if (state.date != 0) return state.date;
  const Message *message = state_message(state);
  const char *value = message ? header_find(message, "date") : nullptr;
  state.date = value ? date_parse(value) : -1;
  return state.date;
}

int64_t property_value(const EvalRun &run, Property property, MessageState &state) {
  switch (property) {
    case Property::atime:
    case Property::ctime:
    case Property::mtime:
    case Property::size: {
      const struct stat *status = state_status(state);
      if (!status) return 0;
      if (property == Property::atime) return status->st_atim.tv_sec;
      if (property == Property::ctime) return status->st_ctim.tv_sec;
      if (property == Property::mtime) return status->st_mtim.tv_sec;
      return status->st_size;
    }
    case Property::depth:
      return state.depth;
    case Property::index:
      return state.index;
    case Property::replies:
      return state.replies;
    case Property::kept:
      return run.picked_total;
    case Property::date:
      return state_date(state);
    case Property::flags:
      return state.flags;
    default:
      parse_error(*run.parse, "unknown property");
  }
}

int compare(const EvalRun &run, const TestNode *node, MessageState &state) {
  int64_t value = node->value;
  if (node->uses_cur) {
    value = run.current_index;
    if (value == 0) {  // not seen yet: every comparison but == holds
      bool upper = node->kind == NodeKind::Lt || node->kind == NodeKind::Le;
      value = upper ? INT64_MAX : -1;
    }
  }
  int64_t property = property_value(run, node->property, state);
  switch (node->kind) {
    case NodeKind::Lt:
      return property < value;
    case NodeKind::Le:
      return property <= value;
    case NodeKind::Eq:
      return property == value;
    case NodeKind::Ne:
      return property != value;
    case NodeKind::Ge:
      return property >= value;
    case NodeKind::Gt:
      return property > value;
    default:
      parse_error(*run.parse, "invalid operator");
  }
}

// A pattern ending in "*" and a plain tail (no "?", "[", "]" or "\\")
// matches only values that end with that tail, in the case fnmatch
// compares; finding that one does not is cheaper than fnmatch.
bool tail_mismatch(const char *pattern, const char *value, bool casefold) {
  const char *star = strrchr(pattern, '*');
  if (!star || !star[1] || strpbrk(star + 1, "?[]\\")) return false;
  size_t tail = strlen(star + 1), length = strlen(value);
  if (length < tail) return true;
  const char *end = value + length - tail;
  return casefold ? strcasecmp(end, star + 1) != 0 : strcmp(end, star + 1) != 0;
}

bool pattern_matches(const TestNode *node, const char *value) {
  const char *pattern = node->text.c_str();
  switch (node->kind) {
    case NodeKind::StrEq:
      return strcmp(pattern, value) == 0;
    case NodeKind::StrCaseEq:
      return strcasecmp(pattern, value) == 0;
    case NodeKind::Glob:
      return !tail_mismatch(pattern, value, false) && fnmatch(pattern, value, 0) == 0;
    case NodeKind::GlobCase:
      return !tail_mismatch(pattern, value, true) && fnmatch(pattern, value, FNM_CASEFOLD) == 0;
    default:
      return regexec(node->regex.get(), value, 0, nullptr, 0) == 0;
  }
}

// Matches the mailboxes of an address header one by one, up to the first
// one that lacks the part looked at.
int addresses_match(const TestNode *node, const char *value) {
  const bool want_address = node->property == Property::header_addr;
  const char *rest = value;
  while (rest) {
    const char *display_name, *address;
    rest = address_parse(rest, &display_name, &address);
    const char *part = want_address ? address : display_name;
    if (!part) return 0;
    if (pattern_matches(node, part)) return 1;
  }
  return 0;
}

int string_test(const TestNode *node, MessageState &state) {
  if (node->property == Property::path) return pattern_matches(node, state.path ? state.path : "");
  const Message *message = state_message(state);
  const char *value = message ? header_find(message, node->header.c_str()) : nullptr;
  if (!value) return 0;
  if (node->property != Property::header) return addresses_match(node, value);
  decode_words(decode_buffer, value, kDecodeBufferSize - 1, "UTF-8");
  return pattern_matches(node, decode_buffer);
}

}  // namespace

void record_message(EvalRun &run, MessageState &state, char *line) {
  const std::string *current = current_name();
  state.line = line;
  state.index = run.next_index++;
  char *name = line;
  while (is_blank(*name)) ++name;
  state.depth = static_cast<int>(name - line);
  name[trimmed_length(name)] = '\0';

  if (name[0] == '<') {  // a placeholder line stands for no file
    state.flags |= kFlagInfo | kFlagSeen;
    return;
  }
  const char *slash = strrchr(name, '/');
  if (slash && slash - name >= 3 && memcmp(slash - 3, "new", 3) == 0) state.flags |= kFlagNew;
  if (current && *current == name) {
    state.flags |= kFlagCur;
    run.current_index = state.index;
  }
  if (const char *info = flag_part(name)) state.flags |= flag_bits(info);
  state.path = name;
}

bool line_path(const char *line, std::string &path) {
  const char *name = line;
  while (is_blank(*name)) ++name;
  if (name[0] == '<') return false;
  path.assign(name, trimmed_length(name));
  return true;
}

bool test_reads_headers(const TestNode *test) {
  std::vector<const TestNode *> pending{test};
  std::vector<const Binding *> seen;  // a value shared by several Vars is looked at once
  while (!pending.empty()) {
    const TestNode *node = pending.back();
    pending.pop_back();
    if (!node) continue;
    if (node->kind == NodeKind::Var) {
      if (std::find(seen.begin(), seen.end(), node->binding) != seen.end()) continue;
      seen.push_back(node->binding);
      pending.push_back(node->binding->value.get());
      continue;
    }
    Property property = node->property;
    bool string_test = node->kind >= NodeKind::StrEq && node->kind <= NodeKind::RegexCase;
    bool comparison = node->kind >= NodeKind::Lt && node->kind <= NodeKind::Gt;
    if (string_test && (property == Property::header || property == Property::header_addr ||
                        property == Property::header_disp))
      return true;
    if (comparison && property == Property::date) return true;
    for (const auto *child : {&node->first, &node->second, &node->third})
      pending.push_back(child->get());
  }
  return false;
}

int evaluate(EvalRun &run, const TestNode *node, MessageState &state) {
  // And, Or, Cond and Var continue with one of their operands in place, so
  // that long chains need no deeper recursion.
  while (node) {
    switch (node->kind) {
      case NodeKind::Or:
        if (evaluate(run, node->first.get(), state)) return 1;
        node = node->second.get();
        break;
      case NodeKind::And:
        if (!evaluate(run, node->first.get(), state)) return 0;
        node = node->second.get();
        break;
      case NodeKind::Cond:
        node = evaluate(run, node->first.get(), state) ? node->second.get() : node->third.get();
        break;
      case NodeKind::Var:
        node = node->binding->value.get();
        break;
      case NodeKind::Not:
        return !evaluate(run, node->first.get(), state);
      case NodeKind::FlagTest:
        return (state.flags & node->value) != 0;
      case NodeKind::Prune:
        run.prune_seen = 1;
        return 1;
      case NodeKind::Print:
        return 1;
      case NodeKind::ToFile:
      case NodeKind::ToPipe:
        output_line(run.outputs, run.parse->program_name, node, state.line);
        return 1;
      case NodeKind::StrEq:
      case NodeKind::StrCaseEq:
      case NodeKind::Glob:
      case NodeKind::GlobCase:
      case NodeKind::Regex:
      case NodeKind::RegexCase:
        return string_test(node, state);
      default:
        return compare(run, node, state);
    }
  }
  return 1;  // a missing operand holds, as a missing test does
}
