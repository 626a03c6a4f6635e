#include "walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "util/display.h"
#include "util/files.h"
#include "util/path.h"

namespace {

// Every level below the top adds at least two bytes ("/" and a name) to the
// absolute path, so nothing this deep fits the getcwd buffer and can be
// printed; stopping here also bounds recursion and open descriptors.
constexpr int kMaxDepth = kPathSize / 2;

struct DirCloser {
  void operator()(DIR *dir) const { closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool is_directory(const char *name) {
  struct stat status;
  return stat(name, &status) == 0 && S_ISDIR(status.st_mode);
}

bool is_maildir() { return is_directory("cur") && is_directory("new"); }

void print_working_directory(char separator) {
  PathBuffer path;
  if (!getcwd(path, sizeof path)) return;
  display_write(stdout, path);
  putchar(separator);
}

// Directories and entries of unreported type; a link is refused later by
// O_NOFOLLOW, whatever type readdir gave.
bool may_be_directory(const dirent *entry) {
  if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) return false;
  const char *name = entry->d_name;
  return !(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')));
}

// Opening by descriptor and changing into that descriptor means the
// directory listed is the one entered, even if the name changes meanwhile.
bool walk(const char *name, int open_flags, const FolderSettings &settings, int depth) {
  if (depth >= kMaxDepth) return true;
  UniqueFd fd(open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | open_flags));
  if (!fd) return true;
  DirPtr dir(fdopendir(fd.fd));
  if (!dir) return true;
  fd.release();
  if (fchdir(dirfd(dir.get())) != 0) return true;

  bool maildir = is_maildir();
  if (maildir) print_working_directory(settings.separator);
  while (const dirent *entry = readdir(dir.get())) {
    if (!may_be_directory(entry)) continue;
    if (maildir && !settings.show_all && entry->d_name[0] != '.') continue;
    if (strchr(entry->d_name, '\n')) {  // its path would print as two folders
      PathBuffer here;
      newline_name_skipped(getcwd(here, sizeof here) ? here : ".", entry->d_name);
      continue;
    }
    if (!walk(entry->d_name, O_NOFOLLOW, settings, depth + 1)) return false;
  }
  return chdir("..") == 0;
}

}  // namespace

bool folder_walk(const char *directory, const FolderSettings &settings) {
  return walk(directory, 0, settings, 0);
}
