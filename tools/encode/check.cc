#include "check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kBodyLineLimit = 78;
constexpr size_t kRelaxedBodyLineLimit = 998;
constexpr size_t kHeaderLineLimit = 997;

}  // namespace

int mime_check() {
  size_t body_limit = getenv("QUOBIX_RELAXED_MIME") ? kRelaxedBodyLineLimit : kBodyLineLimit;
  bool in_header = true;
  bool odd_bytes = false;  // control or 8-bit
  size_t line_length = 0;
  size_t longest_header_line = 0;
  size_t longest_body_line = 0;
  int last = EOF;
  // The start of input counts as a line start, so a leading empty line
  // ends an empty header.
  bool at_line_start = true;
  for (int byte; (byte = getchar_unlocked()) != EOF; last = byte) {
    if (byte == '\n') {
      if (in_header && at_line_start) in_header = false;
      line_length = 0;
      at_line_start = true;
      continue;
    }
    at_line_start = false;
    size_t &longest = in_header ? longest_header_line : longest_body_line;
    longest = std::max(longest, ++line_length);
    if ((byte < 0x20 && byte != '\t') || byte >= 0x80) odd_bytes = true;
  }
  bool needs_mime = odd_bytes || longest_body_line > body_limit || last != '\n' ||
                    longest_header_line > kHeaderLineLimit;
  return needs_mime ? 1 : 0;
}
