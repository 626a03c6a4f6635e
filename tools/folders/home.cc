#include "home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kPathSize = 1024;

const char *home_directory() {
  if (const char *home = getenv("HOME")) return home;
  if (const passwd *entry = getpwuid(getuid())) return entry->pw_dir;
  return "/dev/null/homeless";
}

}  // namespace

const char *home_expand(const char *value) {
  if (value[0] != '~' || value[1] != '/') return value;
  static char path[kPathSize];
  snprintf(path, sizeof path, "%s/%s", home_directory(), value + 2);
  return path;
}
