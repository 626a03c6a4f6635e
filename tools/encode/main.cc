// qxencode: turns a draft into a MIME message, or with -c tells whether a
// message needs MIME encoding at all.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "check.h"
#include "compose.h"
#include "util/finish.h"
#include "util/help.h"

namespace {

constexpr char kUsage[] = "Usage: qxencode [-c|-r] [-t CONTENT-TYPE] < message\n";
constexpr OptionHelp kOptionHelp[] = {
    {"-c", "check only: exit 1 when MIME encoding is needed, else 0"},
    {"-r", "raw: convert the header, write the body as one text part"},
    {"-t CONTENT-TYPE", "the multipart type instead of multipart/mixed"},
};

[[noreturn]] void usage() {
  fputs(kUsage, stderr);
  exit(1);
}

int encode_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxencode", kUsage, kOptionHelp})) return 0;
  bool check = false;
  ComposeOptions options;
  int option;
  while ((option = getopt(argc, argv, "crt:")) != -1) {
    switch (option) {
      case 'c':
        check = true;
        break;
      case 'r':
        options.raw = true;
        break;
      case 't':
        options.multipart_type = optarg;
        break;
      default:
        usage();
    }
  }
  if (optind < argc) usage();
  return check ? mime_check() : compose(options);
}

}  // namespace

int main(int argc, char *argv[]) {
  srand48(time(nullptr) ^ getpid());
  return tool_main("qxencode", 1, [&] { return encode_main(argc, argv); });
}
