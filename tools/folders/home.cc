#include "home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "util/path.h"

namespace {

const char *home_directory() {
  if (const char *home = getenv("HOME")) return home;
  if (const passwd *entry = getpwuid(getuid())) return entry->pw_dir;
  return "/dev/null/homeless";
}

}  // namespace

const char *home_expand(const char *value) {
  if (value[0] != '~' || value[1] != '/') return value;
  static PathBuffer path;
  return path_join_or_report(path, {home_directory(), "/", value + 2});
}
