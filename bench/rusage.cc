// Fallback timer for bench/common.sh where /usr/bin/time is missing:
// rusage OUT COMMAND... runs the command and writes "seconds peak-KiB" to OUT.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[]) {
  if (argc < 3) {
    fputs("Usage: rusage out command...\n", stderr);
    return 1;
  }
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t child = fork();
  if (child == 0) {
    execvp(argv[2], argv + 2);
    perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  clock_gettime(CLOCK_MONOTONIC, &end);
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  FILE *out = fopen(argv[1], "w");
  if (!out) return 1;
  fprintf(out, "%.3f %ld\n", (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9,
          usage.ru_maxrss);
  fclose(out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
