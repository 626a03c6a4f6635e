// qxfolders: lists the maildir folders below the given directories, or
// below the Profile's mail directory.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "home.h"
#include "message/message.h"
#include "select/config.h"
#include "util/error.h"
#include "util/finish.h"
#include "util/help.h"
#include "util/path.h"
#include "walk.h"

namespace {

constexpr int kLostDirectory = 255;

constexpr char kUsage[] = "Usage: qxfolders [-0a] dirs...\n";
constexpr OptionHelp kOptionHelp[] = {
    {"-0", "end each path with a NUL byte instead of a newline"},
    {"-a", "search every subdirectory, also those of maildirs"},
};

[[noreturn]] void usage() {
  fputs(kUsage, stderr);
  exit(1);
}

[[noreturn]] void fail(const char *what) { throw errno_exit(what, errno, kLostDirectory); }

// Walks the Profile's "maildir:" directory; without one there is nothing
// to list and the user is told how to call the tool.
int walk_profile_directory(const FolderSettings &settings) {
  const char *path = config_path("profile");
  MessagePtr profile = path ? message_open(path) : nullptr;
  const char *value = profile ? header_find(profile.get(), "maildir") : nullptr;
  if (!value || !*value) usage();
  const char *directory = home_expand(value);
  if (!directory) return kLostDirectory;  // reported: too long to be used
  return folder_walk(directory, settings) ? 0 : kLostDirectory;
}

int folders_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxfolders", kUsage, kOptionHelp})) return 0;
  FolderSettings settings;
  int option;
  while ((option = getopt(argc, argv, "0a")) != -1) {
    switch (option) {
      case '0':
        settings.separator = '\0';
        break;
      case 'a':
        settings.show_all = true;
        break;
      default:
        usage();
    }
  }
  if (optind == argc) return walk_profile_directory(settings);

  // Each walk ends in the parent of its directory's target, which for a
  // link is not where it started, so every argument starts from here.
  PathBuffer start;
  if (!getcwd(start, sizeof start)) fail("qxfolders: getcwd");
  for (int i = optind; i < argc; ++i) {
    if (!folder_walk(argv[i], settings)) return kLostDirectory;
    if (chdir(start) != 0) fail("qxfolders: chdir");
  }
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  return tool_main("qxfolders", kLostDirectory, [&] { return folders_main(argc, argv); });
}
