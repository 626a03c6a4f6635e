// The floor for a header test: for each name on standard input, open the
// file, read its first 4096 bytes, close it, and print the name.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main() {
  char *line = nullptr;
  size_t size = 0;
  ssize_t length;
  char buffer[4096];
  while ((length = getline(&line, &size, stdin)) > 0) {
    if (line[length - 1] == '\n') line[length - 1] = '\0';
    int fd = open(line, O_RDONLY);
    if (fd < 0) continue;
    if (read(fd, buffer, sizeof buffer) > 0) puts(line);
    close(fd);
  }
  free(line);
  return 0;
}
