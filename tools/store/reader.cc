#include "reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

ssize_t reader_peek(InputReader &reader, size_t wanted) {
  if (wanted > kReadBufferSize) wanted = kReadBufferSize;
  while (reader.end - reader.start < wanted && !reader.at_end) {
    // Move what is left to the front so the read can fill the rest.
    if (reader.start > 0) {
      memmove(reader.buffer.get(), reader.buffer.get() + reader.start, reader.end - reader.start);
      reader.end -= reader.start;
      reader.start = 0;
    }
    ssize_t got = read(reader.fd, reader.buffer.get() + reader.end, kReadBufferSize - reader.end);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) reader.at_end = true;
    reader.end += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(reader.end - reader.start);
}

int reader_piece(InputReader &reader, std::string_view &piece) {
  ssize_t readable = reader_peek(reader, 1);
  if (readable <= 0) return static_cast<int>(readable);
  std::string_view rest = reader.unread();
  size_t newline = rest.find('\n');
  piece = newline == std::string_view::npos ? rest : rest.substr(0, newline + 1);
  reader.start += piece.size();
  return 1;
}

void reader_skip(InputReader &reader, size_t count) { reader.start += count; }
