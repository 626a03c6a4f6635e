// End-to-end test harness: runs the built programs as a user would, in a
// fresh temporary directory with a clean environment, and captures
// standard output, standard error and the exit status.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct RunResult {
  std::string out;
  std::string err;
  int status = 0;  // exit status, or 128 + signal number

  bool operator==(const RunResult &) const = default;
};
void PrintTo(const RunResult &result, std::ostream *os);

// How the program's standard input is connected.
enum class Input {
  Pipe,      // a pipe carrying the given text, then end of file
  Terminal,  // a pseudo-terminal; the given text is typed, then end of file
};

// How the program's standard output is connected.
enum class Output {
  Pipe,
  Terminal,  // a pseudo-terminal in raw mode: what is written arrives unchanged
};

class Sandbox : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs argv[0] (a program of the suite unless it contains "/") with
  // the sandbox as working directory. A run is killed after 20 seconds.
  RunResult run(const std::vector<std::string> &argv, const std::string &input = "",
                Input mode = Input::Pipe, Output output = Output::Pipe);
  RunResult run_on_terminal(const std::vector<std::string> &argv, const std::string &input = "") {
    return run(argv, input, Input::Terminal);
  }
  // Runs with standard output on a pseudo-terminal (standard input a pipe).
  RunResult run_to_terminal(const std::vector<std::string> &argv, const std::string &input = "") {
    return run(argv, input, Input::Pipe, Output::Terminal);
  }

  // Sets (or with std::nullopt removes) a variable of the programs' environment.
  void set_env(const std::string &name, std::optional<std::string> value);

  // Files relative to the sandbox directory; parents are created as needed.
  std::string path(const std::string &relative) const;
  void write_file(const std::string &relative, const std::string &content);
  std::string read_file(const std::string &relative) const;
  bool exists(const std::string &relative) const;
  void make_maildir(const std::string &relative);  // with cur/, new/ and tmp/
  void make_symlink(const std::string &target, const std::string &relative);
  std::string read_symlink(const std::string &relative) const;  // "" when absent
  // Names in a directory, sorted, without "." and "..".
  std::vector<std::string> list_dir(const std::string &relative) const;

  // Makes later runs happen under another user id, as that user alone
  // (no supplementary groups). The sandbox is opened to everyone (mode
  // 0755), and programs of the suite run from copies beside it, so the
  // user reaches them wherever the build lives. Returns why this cannot
  // be arranged (not root, or the sandbox lies where the user cannot
  // enter), for the test to skip with; "" when it can.
  std::string run_as(unsigned user);

  std::string dir;  // the sandbox directory (also HOME)
  std::map<std::string, std::string> env;

 private:
  std::optional<unsigned> user_;  // set by run_as
  std::string user_bin_;          // where that user's copies of the programs live
};

// The directory holding the built programs.
std::string bin_dir();
