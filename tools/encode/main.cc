// qxencode: turns a draft into a MIME message, or with -c tells whether a
// message needs MIME encoding at all.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "check.h"
#include "compose.h"
#include "util/finish.h"

namespace {

[[noreturn]] void usage() {
  fputs("Usage: qxencode [-c|-r] [-t CONTENT-TYPE] < message\n", stderr);
  exit(1);
}

int encode_main(int argc, char *argv[]) {
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
