// Loading ahead: the loaders of message.cc, minus their reports.
#include "message/load.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void message_load_ahead(const char *path, LoadExtent extent, MessageLoad &load) {
  load = MessageLoad{};
  if (strcmp(path, "/dev/stdin") == 0) return;
  struct stat status;
  if (stat(path, &status) == 0 && !S_ISREG(status.st_mode)) return;
  // A name that cannot be looked up fails to open as well; the loader
  // below finds that out itself.
  load.in_order = false;
  if (extent == LoadExtent::header) {
    load.message = message_open(path);
  } else {
    load.message = message_read_full(path, load.read_error);
  }
}

MessagePtr message_load_take(MessageLoad &load, const char *path, LoadExtent extent) {
  if (load.in_order)
    return extent == LoadExtent::header ? message_open(path) : message_open_full(path);
  if (load.read_error) {
    errno = load.read_error;
    perror("read");
  }
  return std::move(load.message);
}
