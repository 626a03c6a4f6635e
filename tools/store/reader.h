// Reads a descriptor through one fixed buffer, so that copying a message
// costs the same memory whatever the length of the message or its lines.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string_view>

constexpr size_t kReadBufferSize = 64 * 1024;

struct InputReader {
  int fd = -1;  // borrowed: the owner of the descriptor closes it
  std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kReadBufferSize);
  size_t start = 0;  // unread bytes are [start, end)
  size_t end = 0;
  bool at_end = false;

  explicit InputReader(int descriptor) : fd(descriptor) {}
  std::string_view unread() const { return {buffer.get() + start, end - start}; }
};

// Makes at least wanted bytes (at most kReadBufferSize) readable, fewer
// only at the end of the input. Returns the number readable, or -1 with
// errno on a read error.
ssize_t reader_peek(InputReader &reader, size_t wanted);

// The next piece of the current line: the unread bytes up to and
// including the next newline, or all unread bytes when none holds one (a
// long line comes in several pieces). The piece is consumed and stays
// valid until the next call. Returns 1, 0 at the end of the input, or -1
// with errno on a read error.
int reader_piece(InputReader &reader, std::string_view &piece);

// Consumes count bytes of those reader_peek made readable.
void reader_skip(InputReader &reader, size_t count);
