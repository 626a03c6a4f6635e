// The floor of the readers' benchmarks: reads every file named on standard
// input (one name a line) and does nothing with it. "whole" reads each
// whole file into a buffer of its size, as a body search must; "header"
// reads in 4096-byte steps up to the first empty line, as a header search
// must; "first" reads the first 4096 bytes and prints the name, as a
// header test that selects every message must.
// Usage: read_floor whole|header|first <names
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void read_whole(int fd) {
  struct stat status;
  if (fstat(fd, &status) != 0) return;
  size_t size = static_cast<size_t>(status.st_size);
  std::unique_ptr<char[]> buffer(new char[size + 1]);
  for (size_t used = 0; used < size;) {
    ssize_t count = read(fd, buffer.get() + used, size - used);
    if (count <= 0) break;
    used += static_cast<size_t>(count);
  }
}

bool read_first(int fd) {
  char buffer[4096];
  return read(fd, buffer, sizeof buffer) > 0;
}

void read_header(int fd, std::vector<char> &buffer) {
  size_t used = 0;
  for (;;) {
    buffer.resize(used + 4096);
    ssize_t count = read(fd, buffer.data() + used, 4096);
    if (count <= 0) return;
    size_t from = used >= 1 ? used - 1 : 0;
    used += static_cast<size_t>(count);
    if (memmem(buffer.data() + from, used - from, "\n\n", 2)) return;
  }
}

}  // namespace

int main(int argc, char *argv[]) {
  const char *mode = argc > 1 ? argv[1] : "whole";
  std::vector<char> buffer;
  char *line = nullptr;
  size_t capacity = 0;
  ssize_t length;
  while ((length = getline(&line, &capacity, stdin)) > 0) {
    if (line[length - 1] == '\n') line[length - 1] = '\0';
    int fd = open(line, O_RDONLY);
    if (fd < 0) continue;
    if (strcmp(mode, "first") == 0) {
      if (read_first(fd)) puts(line);
    } else if (strcmp(mode, "header") == 0) {
      read_header(fd, buffer);
    } else {
      read_whole(fd);
    }
    close(fd);
  }
  free(line);
  return 0;
}
