// qxsearch: prints the messages whose header, headers, text bodies or
// flags match an extended regular expression.
#include <getopt.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "search.h"
#include "select/loop.h"
#include "select/prefetch.h"
#include "util/finish.h"
#include "util/help.h"

namespace {

constexpr char kUsage[] =
    "Usage: qxsearch [-c|-h|-o|-p|-q|-m max] [-v] [-i] [-l] [-a|-d] header:regex [msgs...]\n";
constexpr OptionHelp kOptionHelp[] = {
    {"-a", "match each address of the value on its own"},
    {"-c", "print only the number of matching values, at the end"},
    {"-d", "decode RFC 2047 encoded words to UTF-8 before matching"},
    {"-h", "print the label and the value instead of the file name"},
    {"-i", "match without regard to case"},
    {"-l", "with *, stop at the first matching header of each message"},
    {"-m max", "exit as soon as max values have matched"},
    {"-o", "print only the matched text"},
    {"-p", "print the file name, the label and the value"},
    {"-q", "print nothing; exit at the first match"},
    {"-v", "count the values that do not match"},
    {"--charsets", "convert text parts in other charsets to UTF-8 to search them"},
};

// Long options have codes outside the range of option letters.
enum LongOption { kCharsets = 256 };
constexpr option kLongOptions[] = {
    {"charsets", no_argument, nullptr, kCharsets},
    {nullptr, 0, nullptr, 0},
};

[[noreturn]] void usage() {
  fputs(kUsage, stderr);
  exit(2);
}

int search_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxsearch", kUsage, kOptionHelp})) return 0;
  Search search;
  int option;
  while ((option = getopt_long(argc, argv, "+acdhilm:opqv", kLongOptions, nullptr)) != -1) {
    switch (option) {
      case kCharsets:
        search.charsets = true;
        break;
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
  auto each = [&search](const char *file, MessageLoad &load) {
    search_message(search, file, load);
  };
  if (!*search.header) {  // the flags are in the names: no file is read
    message_loop_in_order(count, messages, each);
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

}  // namespace

int main(int argc, char *argv[]) {
  setlocale(LC_ALL, "");  // the expression follows the user's locale
  return tool_main("qxsearch", 2, [&] { return search_main(argc, argv); });
}
