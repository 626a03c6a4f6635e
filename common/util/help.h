// The long options every tool answers before reading its own: "--help"
// (the usage text and one line per option) and "--version".
#pragma once

#include <span>
#include <string_view>

// One line of a tool's option table: the option as typed, with its
// argument's name, and what it does.
struct OptionHelp {
  const char *option;
  const char *text;
};

struct ToolHelp {
  const char *tool;        // the name printed by "--version"
  std::string_view usage;  // the usage text as a usage error writes it
  std::span<const OptionHelp> options;
};

// When the first argument is "--help" or "--version", prints the help or
// "<tool> (quobix) <version>" to standard output and returns true. Nothing
// in argv, nor getopt's state, is changed: every other command line reads
// as before.
bool help_requested(int argc, char *argv[], const ToolHelp &help);
