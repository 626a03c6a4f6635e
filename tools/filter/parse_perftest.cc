// Parser benchmark: parses generated tests repeatedly and prints the time
// per parse and the throughput. Run by bench/parse.sh.
#include <cstdio>
#include <ctime>
#include <string>

#include "parse.h"

namespace {

double now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

std::string chain(int operands) {
  std::string text = "new";
  for (int i = 1; i < operands; ++i) text += i % 3 ? " && size > 10k" : " || seen";
  return text;
}

std::string nesting(int depth) { return std::string(depth, '(') + "new" + std::string(depth, ')'); }

std::string everyday(int copies) {
  std::string one =
      "let spam = subject =~~ \"viagra|lottery\" || from.addr ~~~ \"*@spam.example\" in\n"
      "!spam && (new || flagged) && mtime > \"-7d\" && size < 1M  # recent mail\n";
  std::string text = "(" + one + ")";
  for (int i = 1; i < copies; ++i) text += " && (" + one + ")";
  return text;
}

void measure(ParseRun &run, const char *name, const std::string &text, int rounds) {
  double parsing = 0, releasing = 0;
  for (int i = 0; i < rounds; ++i) {
    double start = now();
    std::unique_ptr<TestNode> tree = parse_test(run, "bench", text.c_str());
    double parsed = now();
    test_free(std::move(tree));
    parsing += parsed - start;
    releasing += now() - parsed;
  }
  parsing /= rounds;
  releasing /= rounds;
  printf("%-26s %8zu bytes  parse %8.3f ms %6.1f MB/s  free %7.3f ms\n", name, text.size(),
         parsing * 1e3, text.size() / parsing / 1e6, releasing * 1e3);
}

}  // namespace

int main() {
  ParseRun run;
  run.start_time = time(nullptr);
  measure(run, "chain of 10000 operands", chain(10000), 200);
  measure(run, "chain of 100000 operands", chain(100000), 20);
  measure(run, "chain of 1000000 operands", chain(1000000), 2);
  measure(run, "nesting 999 deep", nesting(999), 1000);
  measure(run, "1000 everyday tests", everyday(1000), 20);
  return 0;
}
