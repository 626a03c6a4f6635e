#include "path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "display.h"
#include "finish.h"

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

void path_too_long(std::string_view path) {
  // A path built again and again (the Current-message link) is told once.
  static std::set<std::string, std::less<>> reported;
  if (!reported.emplace(path).second) return;
  constexpr size_t kShown = 64;  // enough to tell which path it was
  std::string start = display_escaped(path.substr(0, kShown));
  fprintf(stderr, "%s: %s...: %s\n", tool_name(), start.c_str(), strerror(ENAMETOOLONG));
}

const char *path_join_or_report(PathBuffer &buffer, std::initializer_list<std::string_view> parts) {
  if (path_join(buffer, parts)) return buffer;
  path_too_long(buffer);
  return nullptr;
}
