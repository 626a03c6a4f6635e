// qxfilter: selects messages with a test and prints their lines.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>

#include "filter.h"
#include "output.h"
#include "parse.h"
#include "select/loop.h"
#include "select/prefetch.h"
#include "util/files.h"
#include "util/finish.h"
#include "util/help.h"

namespace {

// Thrown from the per-message function when standard output has failed,
// to end the Message loop early.
struct OutputGone {};

std::string usage_text(const char *program) {
  return std::string("Usage: ") + program + " [-Tv] [-t test] [-F file] [msgs...]\n";
}

constexpr OptionHelp kOptionHelp[] = {
    {"-t test", "use the test given as text"},
    {"-F file", "read a test from file"},
    {"-T", "thread mode: print the whole thread of a message that passes"},
    {"-v", "write the numbers of mails tested and picked to standard error"},
};

[[noreturn]] void usage(const char *program) {
  fputs(usage_text(program).c_str(), stderr);
  exit(1);
}

void join_test(const ParseRun &run, std::unique_ptr<TestNode> &test,
               std::unique_ptr<TestNode> more) {
  test = test_and(run, std::move(test), std::move(more));
}

std::unique_ptr<TestNode> parse_file(ParseRun &run, const char *name) {
  std::unique_ptr<char[]> text;
  size_t length;
  if (int error = file_slurp(name, text, length)) {
    fprintf(stderr, "%s: error opening file '%s': %s\n", run.program_name, name, strerror(error));
    exit(1);
  }
  return parse_test(run, name, text.get());
}

// A write to a pipe whose reader has gone then fails with EPIPE, and a
// write past the file size limit with EFBIG, instead of ending the
// process, so the failure is reported, the summary still written and every
// target closed. A caught signal, unlike an ignored one, is reset for the
// commands of pipe targets.
void on_failed_write(int) {}

void catch_failed_writes() {
  struct sigaction action {};
  action.sa_handler = on_failed_write;
  sigemptyset(&action.sa_mask);
  sigaction(SIGPIPE, &action, nullptr);
  sigaction(SIGXFSZ, &action, nullptr);
}

// Reads ahead the header sections of the messages when the test looks at
// headers; else no file is read before the test asks for it.
int64_t run_loop(FilterRun &run, int count, char **messages) {
  int64_t tested = 0;
  auto each = [&run, &tested](const char *line, MessageLoad &load) {
    ++tested;
    if (run.parse.thread_buffering)
      thread_add(run, line, std::move(load));
    else
      filter_one(run, line, std::move(load));
    if (run.stdout_error) throw OutputGone{};
  };
  char all[] = ":";  // the whole Sequence
  char *sequence[] = {all};
  if (count == 0 && isatty(STDIN_FILENO)) {
    count = 1;
    messages = sequence;
  }
  try {
    if (run.test && test_reads_headers(run.test)) {
      message_loop_ahead(count, messages, Prefetch{LoadExtent::header, line_path}, each);
    } else {
      message_loop_in_order(count, messages, each);
    }
    if (run.thread) thread_flush(run);
  } catch (const OutputGone &) {
    run.thread.reset();  // its lines could not be printed anyway
  }
  return tested;
}

int filter_main(FilterRun &run, int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxfilter", usage_text(run.parse.program_name), kOptionHelp}))
    return 0;
  std::unique_ptr<TestNode> test;
  bool verbose = false;
  int option;
  while ((option = getopt(argc, argv, "+F:Tt:v")) != -1) {
    switch (option) {
      case 'F':
        join_test(run.parse, test, parse_file(run.parse, optarg));
        break;
      case 't':
        join_test(run.parse, test, parse_test(run.parse, "argv", optarg));
        break;
      case 'T':
        run.whole_threads = true;
        run.parse.thread_buffering = 1;
        break;
      case 'v':
        verbose = true;
        break;
      default:
        usage(run.parse.program_name);
    }
  }
  run.test = test.get();
  catch_failed_writes();

  int64_t tested = 0;
  try {
    tested = run_loop(run, argc - optind, argv + optind);
  } catch (const std::bad_alloc &) {
    errno = ENOMEM;
    perror("calloc");
    return 2;
  }
  if (fflush(stdout) == EOF && !run.stdout_error) run.stdout_error = errno;
  run.test = nullptr;
  test_free(std::move(test));
  if (verbose)
    fprintf(stderr, "%ld mails tested, %ld picked.\n", static_cast<long>(tested),
            static_cast<long>(run.eval.picked_total));
  int status = outputs_close_all(run.eval.outputs, run.parse.program_name);
  return stdout_finish(run.parse.program_name, status, 1, run.stdout_error);
}

}  // namespace

int main(int argc, char *argv[]) {
  FilterRun run;
  run.parse.program_name = argv[0];
  run.parse.start_time = time(nullptr);
  return tool_main(argv[0], 1, [&] { return filter_main(run, argc, argv); });
}
