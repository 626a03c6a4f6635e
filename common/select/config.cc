#include "config.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "util/path.h"

namespace {

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
  static PathBuffer path;
  if (const char *directory = getenv("QUOBIX"))
    return path_join_or_report(path, {directory, "/", name});
  const char *home = home_directory();
  if (!home) return kHomeless;
  return path_join_or_report(path, {home, "/.quobix/", name});
}

const char *current_get() {
  if (const char *dot = getenv("MAILDOT")) return dot;
  static PathBuffer target;
  const char *link = current_link_path();
  if (!link) return nullptr;
  ssize_t length = readlink(link, target, sizeof target - 1);
  if (length < 0) return nullptr;
  target[length] = '\0';
  return target;
}

int current_set(const char *name) {
  if (std::string_view(name) == "/dev/stdin" || getenv("MAILDOT")) return 0;
  const char *link = current_link_path();
  PathBuffer temporary;
  if (!link || !path_join_or_report(temporary, {link, "-"})) return -1;
  if (unlink(temporary) != 0 && errno != ENOENT) return -1;
  if (symlink(name, temporary) != 0) return -1;
  return rename(temporary, link) == 0 ? 0 : -1;
}
