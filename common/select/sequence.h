// The Sequence: a text file of message names, one per line, indentation
// giving thread depth. Only lines ended by a newline exist.
#pragma once

#include <cstdint>
#include <memory>

// Reads the Sequence (path, else $MAILSEQ, else <config>/seq) into a
// NUL-terminated buffer. On failure reports it on standard error and
// returns nullptr.
std::unique_ptr<char[]> sequence_read(const char *path = nullptr);

// Counts the lines of text into lines and, when the Current message stands
// on one of them, stores its (last) line number in current; otherwise
// current keeps its value.
void sequence_find_current(const char *text, int64_t &lines, int64_t &current);
