#include "help.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifndef QUOBIX_VERSION
#error "QUOBIX_VERSION comes from the build's project version"
#endif

namespace {

constexpr OptionHelp kLongOptions[] = {
    {"--help", "print this help and exit"},
    {"--version", "print the version and exit"},
};

void print_help(const ToolHelp &help) {
  fwrite(help.usage.data(), 1, help.usage.size(), stdout);
  size_t width = 0;
  for (const OptionHelp &line : help.options) width = std::max(width, strlen(line.option));
  for (const OptionHelp &line : kLongOptions) width = std::max(width, strlen(line.option));
  auto print_line = [width](const OptionHelp &line) {
    printf("  %-*s  %s\n", static_cast<int>(width), line.option, line.text);
  };
  for (const OptionHelp &line : help.options) print_line(line);
  for (const OptionHelp &line : kLongOptions) print_line(line);
}

}  // namespace

bool help_requested(int argc, char *argv[], const ToolHelp &help) {
  if (argc < 2) return false;
  if (strcmp(argv[1], "--help") == 0) {
    print_help(help);
    return true;
  }
  if (strcmp(argv[1], "--version") == 0) {
    printf("%s (quobix) %s\n", help.tool, QUOBIX_VERSION);
    return true;
  }
  return false;
}
