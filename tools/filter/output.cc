#include "output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "util/error.h"

namespace {

bool same_target(const OutputTarget &open, const TestNode *node) {
  return open.kind == node->kind && open.target == node->text && strcmp(open.mode, node->mode) == 0;
}

// Records a failed write or close with its errno. A command whose reader
// end is gone (EPIPE) has stopped reading, which is not the run's failure.
void target_failed(OutputTargets &targets, OutputTarget &target, const char *program, int error) {
  if (target.failed) return;
  target.failed = true;
  if (target.kind == NodeKind::ToPipe && error == EPIPE) return;
  fprintf(stderr, "%s: %s: %s\n", program, target.target.c_str(), strerror(error));
  targets.lost_lines = true;
}

}  // namespace

OutputTarget &output_open(OutputTargets &targets, const char *program, const TestNode *node) {
  for (OutputTarget &open : targets.open)
    if (same_target(open, node)) return open;

  fflush(stdout);  // what was printed so far comes before the target's output
  const char *target = node->text.c_str();
  FILE *stream =
      node->kind == NodeKind::ToPipe ? popen(target, node->mode) : fopen(target, node->mode);
  if (!stream) {
    int error = errno;
    throw errno_exit((std::string(program) + ": " + target).c_str(), error, kTargetFailedStatus);
  }
  targets.open.push_back({node->kind, node->text, node->mode, stream});
  return targets.open.back();
}

void output_line(OutputTargets &targets, const char *program, const TestNode *node,
                 const char *line) {
  OutputTarget &target = output_open(targets, program, node);
  if (target.failed) return;
  if (fputs(line, target.stream) == EOF || putc('\n', target.stream) == EOF ||
      fflush(target.stream) == EOF)
    target_failed(targets, target, program, errno);
}

int outputs_close_all(OutputTargets &targets, const char *program) {
  for (OutputTarget &open : targets.open) {
    if (open.kind == NodeKind::ToPipe) {
      // What is still buffered goes first, so that its failure is told
      // apart from the command's own exit status.
      if (fflush(open.stream) == EOF) target_failed(targets, open, program, errno);
      pclose(open.stream);
    } else if (fclose(open.stream) != 0) {
      target_failed(targets, open, program, errno);
    }
  }
  targets.open.clear();
  return targets.lost_lines ? kTargetFailedStatus : 0;
}
