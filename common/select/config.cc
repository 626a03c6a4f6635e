#include "config.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr size_t kPathSize = 1024;
constexpr const char *kHomeless = "/dev/null/homeless";

const char *home_directory() {
  const char *home = getenv("HOME");
  if (home && *home) return home;
  const struct passwd *entry = getpwuid(getuid());
  return entry ? entry->pw_dir : nullptr;
}

const char *current_link_path() {
  const char *path = getenv("MAILCUR");
  return path ? path : config_path("cur");
}

}  // namespace

const char *config_path(const char *name) {
  static char path[kPathSize];
  if (const char *directory = getenv("QUOBIX")) {
    snprintf(path, sizeof path, "%s/%s", directory, name);
    return path;
  }
  const char *home = home_directory();
  if (!home) return kHomeless;
  snprintf(path, sizeof path, "%s/.quobix/%s", home, name);
  return path;
}

const char *current_get() {
  if (const char *dot = getenv("MAILDOT")) return dot;
  static char target[kPathSize];
  ssize_t length = readlink(current_link_path(), target, sizeof target - 1);
  if (length < 0) return nullptr;
  target[length] = '\0';
  return target;
}

int current_set(const char *name) {
  if (std::string_view(name) == "/dev/stdin" || getenv("MAILDOT")) return 0;
  const char *link = current_link_path();
  char temporary[kPathSize];
  int length = snprintf(temporary, sizeof temporary, "%s-", link);
  if (length < 0 || static_cast<size_t>(length) >= sizeof temporary) return -1;
  if (unlink(temporary) != 0 && errno != ENOENT) return -1;
  if (symlink(name, temporary) != 0) return -1;
  return rename(temporary, link) == 0 ? 0 : -1;
}
