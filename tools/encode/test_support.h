// Helpers for the encoders' unit tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

// What write() writes to standard output.
template <typename Writer>
std::string stdout_capture(Writer &&write) {
  fflush(stdout);
  FILE *sink = tmpfile();
  int saved = dup(STDOUT_FILENO);
  dup2(fileno(sink), STDOUT_FILENO);
  write();
  fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::string text;
  rewind(sink);
  char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, sink)) > 0;) text.append(chunk, got);
  fclose(sink);
  return text;
}

inline std::string repeat(const std::string &piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}
