#include "loop.h"

#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "range.h"
#include "sequence.h"
#include "util/display.h"
#include "util/path.h"

namespace {

// A scandir result: the entries and the array, freed together.
struct DirectoryListing {
  struct dirent **entries = nullptr;
  int count = -1;

  DirectoryListing() = default;
  DirectoryListing(const DirectoryListing &) = delete;
  DirectoryListing &operator=(const DirectoryListing &) = delete;
  ~DirectoryListing() {
    for (int i = 0; i < count; ++i) free(entries[i]);
    free(entries);
  }
};

int entry_compare(const struct dirent **a, const struct dirent **b) {
  return name_compare((*a)->d_name, (*b)->d_name);
}

bool is_message_entry(const struct dirent *entry) {
  if (entry->d_name[0] == '.') return false;
  return entry->d_type == DT_REG || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
}

// getdelim's growing line buffer.
struct LineBuffer {
  char *data = nullptr;
  size_t size = 0;
  ~LineBuffer() { free(data); }
};

int64_t loop_standard_input(const MessageCallback &callback) {
  LineBuffer line;
  int64_t count = 0;
  ssize_t length;
  while ((length = getdelim(&line.data, &line.size, '\n', stdin)) >= 0) {
    if (length > 0 && line.data[length - 1] == '\n') line.data[length - 1] = '\0';
    callback(line.data);
    ++count;
  }
  return count;
}

// Names from standard input as they arrive, for a loop that holds names
// back: before a read that would block, pause lets it catch up, so that a
// slow writer sees each answer before it writes the next name. Lines are
// cut as getdelim would cut them.
int64_t loop_standard_input_paused(const MessageCallback &callback, const LoopPause &pause) {
  constexpr size_t kInputStep = 65536;
  std::vector<char> buffer(kInputStep);
  size_t start = 0, used = 0;
  bool end_of_input = false;
  int64_t count = 0;
  for (;;) {
    if (char *lf = static_cast<char *>(memchr(buffer.data() + start, '\n', used - start))) {
      *lf = '\0';
      callback(buffer.data() + start);
      ++count;
      start = static_cast<size_t>(lf - buffer.data()) + 1;
      continue;
    }
    if (end_of_input) break;
    used -= start;
    memmove(buffer.data(), buffer.data() + start, used);
    start = 0;
    if (buffer.size() - used < kInputStep / 2) buffer.resize(buffer.size() * 2);
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) == 0) pause();
    ssize_t got = read(STDIN_FILENO, buffer.data() + used, buffer.size() - 1 - used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      end_of_input = true;
    } else {
      used += static_cast<size_t>(got);
    }
  }
  if (start < used) {  // a last line without its newline
    buffer[used] = '\0';
    callback(buffer.data() + start);
    ++count;
  }
  return count;
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

int64_t message_loop(int count, char *const arguments[], const MessageCallback &callback) {
  return message_loop_paused(count, arguments, callback, nullptr);
}

int64_t message_loop_paused(int count, char *const arguments[], const MessageCallback &callback,
                            const LoopPause &pause) {
  if (count == 0)
    return pause ? loop_standard_input_paused(callback, pause) : loop_standard_input(callback);

  int64_t handed = 0;
  std::unique_ptr<char[]> sequence;
  bool sequence_tried = false;
  std::string name;
  for (int i = 0; i < count; ++i) {
    const char *argument = arguments[i];
    if (strchr(argument, '/')) {
      handed += maildir_scan(argument, callback);
    } else if (strcmp(argument, "-") == 0) {
      if (pause) pause();
      if (isatty(STDIN_FILENO))
        fputs(
            "quobix: warning: - now means read mail text from standard input,"
            " use .- to refer to previous mail\n",
            stderr);
      callback("/dev/stdin");
      ++handed;
    } else {
      if (pause) pause();  // a Range may report on standard error, or end the process
      if (!sequence_tried) {
        sequence = sequence_read();
        sequence_tried = true;
      }
      RangeState state;
      while (range_resolve(sequence.get(), argument, state, name)) {
        callback(name.c_str());
        ++handed;
      }
    }
  }
  return handed;
}

int64_t message_loop_one(const char *argument, const MessageCallback &callback) {
  char *arguments[] = {const_cast<char *>(argument)};
  return message_loop(1, arguments, callback);
}

int64_t maildir_scan(const char *path, const MessageCallback &callback) {
  PathBuffer directory;
  const char *suffix = "/cur";
  if (!path_join_or_report(directory, {path, suffix})) return 0;

  DirectoryListing listing;
  listing.count = scandir(directory, &listing.entries, nullptr, entry_compare);
  if (listing.count < 0) {
    if (errno != ENOENT && errno != ENOTDIR) return 0;
    suffix = "";
    listing.count = scandir(path, &listing.entries, nullptr, entry_compare);
    if (listing.count < 0) {
      if (errno != ENOTDIR) return 0;
      callback(path);
      return 1;
    }
  }

  int64_t handed = 0;
  PathBuffer name;
  for (int i = 0; i < listing.count; ++i) {
    const struct dirent *entry = listing.entries[i];
    if (!is_message_entry(entry)) continue;
    if (strchr(entry->d_name, '\n')) {  // it would read as two names
      newline_name_skipped(*suffix ? directory : path, entry->d_name);
      continue;
    }
    if (!path_join_or_report(name, {path, suffix, "/", entry->d_name})) continue;  // never cut
    callback(name);
    ++handed;
  }
  return handed;
}

int name_compare(const char *a, const char *b) {
  const auto *x = reinterpret_cast<const unsigned char *>(a);
  const auto *y = reinterpret_cast<const unsigned char *>(b);
  size_t i = 0;
  while (x[i] == y[i]) {
    if (x[i] == '\0') return 0;
    ++i;
  }
  // p: start of the digit run of the common prefix that ends at i.
  size_t p = i;
  while (p > 0 && is_digit(x[p - 1])) --p;
  bool zeros = true;
  for (size_t k = p; k < i; ++k) zeros = zeros && x[k] == '0';

  if (x[p] != '0' && y[p] != '0') {
    // The longer run of digits is the larger number.
    size_t j = i;
    for (; is_digit(x[j]); ++j)
      if (!is_digit(y[j])) return 1;
    if (is_digit(y[j])) return -1;
    return x[i] - y[i];
  }
  // Leading zeros: compare as fractions, digits before everything else.
  if (zeros && p < i && (is_digit(x[i]) || is_digit(y[i])))
    return static_cast<unsigned char>(x[i] - '0') - static_cast<unsigned char>(y[i] - '0');
  return x[i] - y[i];
}
