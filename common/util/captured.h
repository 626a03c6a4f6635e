// What a function writes to a stream, as a string: for tests of printers.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

template <class Write>
std::string captured(Write write) {
  char *data = nullptr;
  size_t size = 0;
  FILE *out = open_memstream(&data, &size);
  write(out);
  fclose(out);
  std::string result(data, size);
  free(data);
  return result;
}
