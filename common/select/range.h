// Ranges: the selection syntax that picks lines of the Sequence by number,
// relative to the Current message, or by thread ("5", "-3:", ".", "+", "=").
#pragma once

#include <cstdint>
#include <string>

// Resolution state of one Range argument; value-initialise it before the
// first call for each Range.
struct RangeState {
  int64_t lines = 0;  // lines of the Sequence, 0 until located
  int64_t cur = 0;    // line of the Current message, 0 when absent
  int64_t start = 0;  // selected lines, inclusive
  int64_t stop = 0;
  int64_t line = 0;                // line number at position
  const char *position = nullptr;  // next line to look at; null until parsed
};

// Stores the next name the Range selects (a whole Sequence line,
// indentation included) in name and returns true; false when the Range is
// used up or malformed (reported on standard error). A number that cannot
// be converted throws ToolExit (perror "strtol", status 2), with a hint
// when a file or folder of the Range's name exists.
bool range_resolve(const char *text, const char *range, RangeState &state, std::string &name);

// Line number of the thread parent of line n (the nearest earlier line one
// level less deep), or 0 when it has none.
int64_t thread_parent(const char *text, int64_t n);
