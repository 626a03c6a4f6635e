// Feeds any text to parse_test. A parse error throws instead of ending the
// program (and prints nothing), so only crashes, leaks and sanitizer
// reports stop the fuzzer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "parse.h"

namespace {

struct Failed {};

[[noreturn]] void throw_failure(const char *, int) { throw Failed{}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  // Counted repetitions make regcomp itself take unbounded time and memory,
  // which says nothing about the parser.
  if (text.find('{') != std::string::npos) return 0;
  ParseRun run;
  run.failure = throw_failure;
  run.start_time = 1700000000;
  try {
    std::unique_ptr<TestNode> first = parse_test(run, "argv", text.c_str());
    std::unique_ptr<TestNode> second = parse_test(run, "argv", text.c_str());
    test_free(test_and(run, std::move(first), std::move(second)));
  } catch (const Failed &) {
  }
  return 0;
}
