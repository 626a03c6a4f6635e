// qxwho: prints the mailboxes found in the address headers of messages.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "select/loop.h"
#include "select/prefetch.h"
#include "util/finish.h"
#include "util/help.h"
#include "who.h"

namespace {

constexpr char kUsage[] = "Usage: qxwho [-ad] [-h headers] [msgs...]\n";
constexpr OptionHelp kOptionHelp[] = {
    {"-a", "print only the addresses"},
    {"-d", "print only the display names (-a wins)"},
    {"-h headers", "read the colon-separated headers instead of the default list"},
};

[[noreturn]] void usage() {
  fputs(kUsage, stderr);
  exit(1);
}

int who_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxwho", kUsage, kOptionHelp})) return 0;
  bool addresses = false, names = false;
  std::string headers = kWhoDefaultHeaders;
  int option;
  while ((option = getopt(argc, argv, "+adh:")) != -1) {
    switch (option) {
      case 'a':
        addresses = true;
        break;
      case 'd':
        names = true;
        break;
      case 'h':
        headers = optarg;
        break;
      default:
        usage();
    }
  }
  WhoMode mode = addresses ? WhoMode::Addresses : names ? WhoMode::Names : WhoMode::Both;
  auto who = [&headers, mode](const char *name, MessageLoad &load) {
    who_one(stdout, name, load, headers.data(), mode);
  };
  const Prefetch prefetch{LoadExtent::header, path_after_blanks};
  int count = argc - optind;
  if (count == 0 && isatty(STDIN_FILENO))
    message_loop_ahead_one(":", prefetch, who);
  else
    message_loop_ahead(count, argv + optind, prefetch, who);
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  return tool_main("qxwho", 1, [&] { return who_main(argc, argv); });
}
