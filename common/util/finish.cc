#include "finish.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "error.h"

int stdout_finish(const char *tool, int status, int error_status, int write_error) {
  errno = 0;
  if (fflush(stdout) == EOF) {
    write_error = errno;
  } else if (!write_error && ferror(stdout)) {
    // An earlier write failed and its data was dropped; its errno is gone.
    write_error = EIO;
  }
  if (!write_error || write_error == EPIPE) return status;
  fprintf(stderr, "%s: standard output: %s\n", tool, strerror(write_error));
  return error_status;
}

int tool_main(const char *tool, int error_status, const std::function<int()> &body) {
  try {
    return stdout_finish(tool, body(), error_status);
  } catch (const ToolExit &end) {
    fputs(end.message.c_str(), stderr);
    return stdout_finish(tool, end.status, end.status ? end.status : error_status);
  }
}
