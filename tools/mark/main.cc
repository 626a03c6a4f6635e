// qxmark: sets and clears maildir flags by renaming message files.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "mark.h"
#include "select/config.h"
#include "select/loop.h"
#include "util/display.h"
#include "util/files.h"
#include "util/finish.h"
#include "util/flags.h"
#include "util/help.h"
#include "util/path.h"

namespace {

struct MarkRun {
  FlagRequests requests{};
  bool verbose = false;
  std::optional<std::string> current;                 // the Current message at start
  std::optional<std::vector<std::string>> selection;  // sorted, with -v and a selection
  std::string changed;                                // reused for every new line
};

constexpr char kUsage[] =
    "Usage: qxmark [-DFPRST] [-X str]\n\t\t  [-dfprst] [-x str]\n\t\t  [-v] [msgs...]\n";
constexpr OptionHelp kOptionHelp[] = {
    {"-DFPRST", "set the draft, flagged, passed, replied, seen or trashed flag"},
    {"-dfprst", "clear that flag"},
    {"-X str", "set every byte of str as a flag"},
    {"-x str", "clear every byte of str"},
    {"-v", "print every name, changed or not, as a new Sequence"},
};

[[noreturn]] void usage() {
  fputs(kUsage, stderr);
  exit(1);
}

bool is_selected(const MarkRun &run, const char *file) {
  return !run.selection ||
         std::binary_search(run.selection->begin(), run.selection->end(), std::string_view(file));
}

// Renames file to new_file, so that one name of the message remains: a
// new name whose old name could not be removed is removed again and the
// rename fails with the errno of that unlink.
int rename_undoable(const char *file, const char *new_file) {
  int result = rename_noreplace(file, new_file, true);
  if (result != kRenameLeftOld) return result;
  int error = errno;
  if (unlink(new_file) != 0)
    fprintf(stderr, "qxmark: can't remove '%s': %s\n", new_file, strerror(errno));
  errno = error;
  return -1;
}

void mark_one(MarkRun &run, const char *line) {
  size_t indent = strspn(line, " \t");
  const char *file = line + indent;
  bool renamed = false;
  if (is_selected(run, file) && flags_apply(line, run.requests, run.changed)) {
    const char *new_file = run.changed.c_str() + indent;
    int result = -1;
    if (run.changed.size() >= kPathSize)
      errno = ENAMETOOLONG;
    else
      result = rename_undoable(file, new_file);
    if (result == 0) {
      if (run.current && *run.current == file) current_set(new_file);
      display_line(stdout, run.changed);
      renamed = true;
    } else {
      fprintf(stderr, "qxmark: can't rename '%s' to '%s': %s\n", file, new_file, strerror(errno));
    }
  }
  if (!renamed && run.verbose) display_line(stdout, line);
}

constexpr std::string_view kOptions = "+PRSTDFprstdfX:x:v";

constexpr bool every_flag_is_an_option() {
  for (const MaildirFlag &flag : kMaildirFlags)
    if (kOptions.find(flag.letter) == kOptions.npos ||
        kOptions.find(static_cast<char>(flag.letter - 'A' + 'a')) == kOptions.npos)
      return false;
  return true;
}
static_assert(every_flag_is_an_option());

// A flag letter sets its flag, the same letter in lower case clears it.
bool flag_option(FlagRequests &requests, int option) {
  if (option < 0 || option > 127) return false;
  if (is_maildir_flag(static_cast<char>(option))) {
    requests[option] = 1;
    return true;
  }
  int upper = toupper(option);
  if (upper == option || !is_maildir_flag(static_cast<char>(upper))) return false;
  requests[upper] = -1;
  return true;
}

void collect_one(MarkRun &run, const char *line) {
  run.selection->emplace_back(line + strspn(line, " \t"));
}

int mark_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxmark", kUsage, kOptionHelp})) return 0;
  MarkRun run;
  int option;
  while ((option = getopt(argc, argv, kOptions.data())) != -1) {
    switch (option) {
      case 'X':
        flags_request(run.requests, optarg, 1);
        break;
      case 'x':
        flags_request(run.requests, optarg, -1);
        break;
      case 'v':
        run.verbose = true;
        break;
      default:
        if (!flag_option(run.requests, option)) usage();
    }
  }
  if (const char *current = current_get()) run.current = current;
  int count = argc - optind;
  char **messages = argv + optind;
  bool terminal = isatty(STDIN_FILENO);
  auto mark = [&run](const char *name) { mark_one(run, name); };

  try {
    if (!run.verbose || (count == 0 && !terminal)) {
      if (count == 0 && terminal)
        message_loop_one(".", mark);
      else
        message_loop(count, messages, mark);
    } else {
      run.selection.emplace();
      auto collect = [&run](const char *name) { collect_one(run, name); };
      if (count > 0)
        message_loop(count, messages, collect);
      else
        message_loop_one(".", collect);
      std::sort(run.selection->begin(), run.selection->end());
      if (terminal)
        message_loop_one(":", mark);
      else
        message_loop(0, nullptr, mark);
    }
  } catch (const std::bad_alloc &) {
    return 255;
  }
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  return tool_main("qxmark", 255, [&] { return mark_main(argc, argv); });
}
