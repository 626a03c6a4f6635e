// qxstore stores the message (or with -M every message of an mbox) read
// from standard input into a maildir; qxmove, the same program under a
// second name, moves or copies messages into another maildir.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "deliver.h"
#include "select/loop.h"
#include "util/finish.h"
#include "util/flags.h"
#include "util/help.h"

namespace {

// The mode comes from the program's own name, never from the directories
// it was run from.
StoreMode mode_from_name(const char *argv0) {
  const char *slash = strrchr(argv0, '/');
  const char *name = slash ? slash + 1 : argv0;
  return strchr(name, 'v') ? StoreMode::move : StoreMode::store;
}

constexpr char kStoreUsage[] =
    "Usage: qxstore [-c] [-v] [-X flags] dir < message\n"
    "       qxstore -M [-c] [-v] [-X flags] dir < mbox\n";
constexpr OptionHelp kStoreHelp[] = {
    {"-c", "store into cur/ instead of new/"},
    {"-M", "standard input is an mbox: store each of its messages"},
    {"-v", "print the final path of each stored message"},
    {"-X flags", "write flags after :2, in place of those from an mbox"},
};
constexpr char kMoveUsage[] = "Usage: qxmove [-kv] [msgs...] maildir\n";
constexpr OptionHelp kMoveHelp[] = {
    {"-k", "copy instead of moving; the sources stay"},
    {"-v", "print the final path of each stored message"},
};

ToolHelp mode_help(StoreMode mode) {
  if (mode == StoreMode::move) return {"qxmove", kMoveUsage, kMoveHelp};
  return {"qxstore", kStoreUsage, kStoreHelp};
}

[[noreturn]] void usage(StoreMode mode) {
  std::string_view text = mode_help(mode).usage;
  fwrite(text.data(), 1, text.size(), stderr);
  exit(1);
}

int store_main(StoreRun &run, int argc, char *argv[]) {
  int option;
  while ((option = getopt(argc, argv, "cMvX:")) != -1) {
    switch (option) {
      case 'c':
        run.into_cur = true;
        break;
      case 'M':
        run.mbox = true;
        break;
      case 'v':
        run.verbose = true;
        break;
      case 'X':
        run.flags = optarg;
        break;
      default:
        usage(run.mode);
    }
  }
  if (argc - optind != 1) usage(run.mode);
  run.target = argv[optind];
  host_part_read(run);
  // What was stored before a failure stays stored, so it is synced too.
  int error = maildir_deliver(run, nullptr) == 0 ? 0 : errno;
  if (maildir_sync(run) != 0 && error == 0) error = errno;
  if (error != 0) {
    errno = error;
    perror("qxstore");
    return 2;
  }
  return 0;
}

// A name of a message to move: its indentation skipped, its flag part
// kept. "/dev/stdin" stands for "-" only while the names come from the
// arguments; among names read from standard input it is just a path.
void move_one(StoreRun &run, const char *line, bool names_on_stdin) {
  const char *name = line + strspn(line, " \t");
  const char *flags = flag_part(name);
  run.flags = flags ? flags : "";
  bool from_stdin = !names_on_stdin && strcmp(name, "/dev/stdin") == 0;
  if (maildir_deliver(run, from_stdin ? nullptr : name) != 0) perror("qxmove");
}

int move_main(StoreRun &run, int argc, char *argv[]) {
  bool keep = false;
  int option;
  while ((option = getopt(argc, argv, "kv")) != -1) {
    switch (option) {
      case 'k':
        keep = true;
        break;
      case 'v':
        run.verbose = true;
        break;
      default:
        usage(run.mode);
    }
  }
  int count = argc - optind;
  if (count == 0 || (count == 1 && isatty(STDIN_FILENO))) usage(run.mode);
  run.into_cur = true;
  run.rename_first = !keep;
  run.keep_source_times = true;
  run.target = argv[argc - 1];
  host_part_read(run);
  bool names_on_stdin = count == 1;
  message_loop(count - 1, argv + optind,
               [&](const char *name) { move_one(run, name, names_on_stdin); });
  if (maildir_sync(run) != 0) {
    perror("qxmove");
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  // A write past a file-size limit, or to a closed standard output, must
  // fail and be reported rather than kill the tool half way through.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  StoreRun run;
  run.mode = mode_from_name(argc > 0 ? argv[0] : "qxstore");
  return tool_main(store_prefix(run), 2, [&] {
    if (help_requested(argc, argv, mode_help(run.mode))) return 0;
    return run.mode == StoreMode::move ? move_main(run, argc, argv) : store_main(run, argc, argv);
  });
}
