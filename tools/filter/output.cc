#include "output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "util/error.h"

namespace {

struct OutputTarget {
  NodeKind kind;
  std::string target;
  const char *mode;
  FILE *stream;
};

// In opening order.
std::vector<OutputTarget> &targets() {
  static std::vector<OutputTarget> list;
  return list;
}

bool same_target(const OutputTarget &open, const TestNode *node) {
  return open.kind == node->kind && open.target == node->text && strcmp(open.mode, node->mode) == 0;
}

}  // namespace

FILE *output_open(const char *program, const TestNode *node) {
  for (const OutputTarget &open : targets())
    if (same_target(open, node)) return open.stream;

  fflush(stdout);  // what was printed so far comes before the target's output
  const char *target = node->text.c_str();
  FILE *stream =
      node->kind == NodeKind::ToPipe ? popen(target, node->mode) : fopen(target, node->mode);
  if (!stream) {
    int error = errno;
    throw errno_exit((std::string(program) + ": " + target).c_str(), error, 3);
  }
  targets().push_back({node->kind, node->text, node->mode, stream});
  return stream;
}

void output_line(const char *program, const TestNode *node, const char *line) {
  FILE *stream = output_open(program, node);
  if (ferror(stream)) return;  // already failed and reported
  if (fputs(line, stream) == EOF || putc('\n', stream) == EOF || fflush(stream) == EOF) {
    if (errno != EPIPE)
      fprintf(stderr, "%s: %s: %s\n", program, node->text.c_str(), strerror(errno));
  }
}

void outputs_close_all() {
  for (const OutputTarget &open : targets()) {
    if (open.kind == NodeKind::ToPipe)
      pclose(open.stream);
    else
      fclose(open.stream);
  }
  targets().clear();
}
