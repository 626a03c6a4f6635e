#include "finish.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "error.h"

namespace {

// The error of an earlier failed write whose errno is gone: a pipe or
// socket whose reader has left reports that to poll.
int earlier_write_error() {
  pollfd out{STDOUT_FILENO, POLLOUT, 0};
  if (poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP))) return EPIPE;
  return EIO;
}

}  // namespace

int stdout_finish(const char *tool, int status, int error_status, int write_error) {
  if (fflush(stdout) == EOF) {
    write_error = errno;
  } else if (!write_error && ferror(stdout)) {
    write_error = earlier_write_error();
  }
  clearerr(stdout);  // reported once, also when a caller finishes twice
  if (!write_error || write_error == EPIPE) return status;
  fprintf(stderr, "%s: standard output: %s\n", tool, strerror(write_error));
  return error_status;
}

namespace {
const char *running_tool = "quobix";
}  // namespace

const char *tool_name() { return running_tool; }

int tool_main(const char *tool, int error_status, const std::function<int()> &body) {
  running_tool = tool;
  try {
    return stdout_finish(tool, body(), error_status);
  } catch (const ToolExit &end) {
    fputs(end.message.c_str(), stderr);
    if (!end.hint.empty()) fprintf(stderr, "%s: %s\n", tool, end.hint.c_str());
    return stdout_finish(tool, end.status, end.status ? end.status : error_status);
  }
}
