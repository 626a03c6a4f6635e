// qxsearch: prints the messages whose header, headers, text bodies or
// flags match an extended regular expression.
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "search.h"
#include "select/loop.h"
#include "select/prefetch.h"

namespace {

[[noreturn]] void usage() {
  fputs("Usage: qxsearch [-c|-h|-o|-p|-q|-m max] [-v] [-i] [-l] [-a|-d] header:regex [msgs...]\n",
        stderr);
  exit(2);
}

// Lives until exit, also through exit(0) from -q and -m.
Search search;

}  // namespace

int main(int argc, char *argv[]) {
  setlocale(LC_ALL, "");  // the expression follows the user's locale
  int option;
  while ((option = getopt(argc, argv, "+acdhilm:opqv")) != -1) {
    switch (option) {
      case 'a':
        search.address_mode = true;
        break;
      case 'c':
        search.count_only = true;
        break;
      case 'd':
        search.decode = true;
        break;
      case 'h':
        search.header_output = true;
        break;
      case 'i':
        search.icase = REG_ICASE;
        break;
      case 'l':
        search.first_header = true;
        break;
      case 'm':
        search.maximum = atol(optarg);
        break;
      case 'o':
        search.only_matching = true;
        break;
      case 'p':
        search.print_all = true;
        break;
      case 'q':
        search.quiet = true;
        break;
      case 'v':
        search.invert = true;
        break;
      default:
        usage();
    }
  }
  if (optind >= argc) usage();
  char *operand = argv[optind];
  char *colon = strchr(operand, ':');
  if (!colon) usage();
  *colon = '\0';
  search.header = operand;
  char error[256];
  if (!search_compile(search, colon + 1, error)) {
    fprintf(stderr, "qxsearch: regex error: %s\n", error);
    exit(2);
  }

  int count = argc - optind - 1;
  char **messages = argv + optind + 1;
  char all[] = ":";  // the whole Sequence
  char *sequence[] = {all};
  if (count == 0 && isatty(STDIN_FILENO)) {
    count = 1;
    messages = sequence;
  }
  auto each = [](const char *file, MessageLoad &load) { search_message(search, file, load); };
  if (!*search.header) {  // the flags are in the names: no file is read
    message_loop(count, messages, [&each](const char *file) {
      MessageLoad load;
      each(file, load);
    });
  } else {
    const bool body = strcmp(search.header, "/") == 0;
    const Prefetch prefetch{body ? LoadExtent::whole : LoadExtent::header, path_after_blanks};
    message_loop_ahead(count, messages, prefetch, each);
  }
  if (search.count_only && !search.quiet && !search.maximum) {
    printf("%ld\n", static_cast<long>(search.count));
  }
  return search.count ? 0 : 1;
}
