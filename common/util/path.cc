#include "path.h"

#include <cerrno>
#include <cstring>

bool path_join(PathBuffer &buffer, std::initializer_list<std::string_view> parts) {
  size_t used = 0;
  for (std::string_view part : parts) {
    size_t room = kPathSize - 1 - used;
    if (part.size() > room) {
      memcpy(buffer + used, part.data(), room);
      buffer[kPathSize - 1] = '\0';
      errno = ENAMETOOLONG;
      return false;
    }
    memcpy(buffer + used, part.data(), part.size());
    used += part.size();
  }
  buffer[used] = '\0';
  return true;
}

const char *path_join_or_cut(PathBuffer &buffer, std::initializer_list<std::string_view> parts) {
  (void)path_join(buffer, parts);
  return buffer;
}
