#include "sequence.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config.h"
#include "util/files.h"

std::unique_ptr<char[]> sequence_read(const char *path) {
  if (!path) path = getenv("MAILSEQ");
  if (!path) path = config_path("seq");
  if (!path) return nullptr;  // too long: reported, never cut
  std::unique_ptr<char[]> text;
  size_t length = 0;
  if (int error = file_slurp(path, text, length)) {
    fprintf(stderr, "could not read sequence '%s': %s\n", path, strerror(error));
    return nullptr;
  }
  return text;
}

void sequence_find_current(const char *text, int64_t &lines, int64_t &current) {
  lines = 0;
  if (!text) return;
  const char *name = current_get();
  size_t name_length = name ? strlen(name) : 0;
  for (const char *line = text; const char *end = strchr(line, '\n'); line = end + 1) {
    line += strspn(line, " \t");
    ++lines;
    if (name && static_cast<size_t>(end - line) >= name_length &&
        memcmp(line, name, name_length) == 0 && strchr(" \t\n", line[name_length]))
      current = lines;
  }
}
