// Message arguments end to end, seen through qxmark -S: each selected
// Sequence line comes back renamed with the seen flag, indentation kept.
#include <pwd.h>

#include <filesystem>

#include "harness.h"

namespace {

// Lines a to e at depths 0, 1, 2, 1, 0; the Current message is c (line 3).
const char *const kLines[] = {"box/cur/a:2,", " box/cur/b:2,", "  box/cur/c:2,", " box/cur/d:2,",
                              "box/cur/e:2,"};

struct RangeCase {
  std::vector<std::string> arguments;
  std::string out = {}, err = {};
  int status = 0;
};

class Ranges : public Sandbox {
 protected:
  void reset(const std::string &current = "box/cur/c:2,", bool with_sequence = true) {
    std::filesystem::remove_all(path("box"));
    std::filesystem::remove(path(".quobix/cur"));
    make_maildir("box");
    std::string sequence;
    for (const char *line : kLines) {
      write_file(std::string(line).substr(strspn(line, " ")), "Subject: x\n\n");
      sequence += std::string(line) + "\n";
    }
    if (with_sequence)
      write_file(".quobix/seq", sequence);
    else
      std::filesystem::remove(path(".quobix/seq"));
    make_symlink(current, ".quobix/cur");
  }
  // Runs qxmark -S with each case's arguments over a fresh maildir.
  void run_cases(const std::vector<RangeCase> &cases, const std::string &current = "box/cur/c:2,") {
    for (const auto &c : cases) {
      std::string shown;
      for (const auto &argument : c.arguments) shown += "'" + argument + "' ";
      SCOPED_TRACE(shown);
      reset(current);
      std::vector<std::string> argv = {"qxmark", "-S", "--"};
      argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
      EXPECT_EQ(run(argv), (RunResult{c.out, c.err, c.status}));
    }
  }
  // The output qxmark -S gives for the Sequence lines numbered in lines.
  static std::string marked(std::initializer_list<int> lines) {
    std::string out;
    for (int line : lines) out += std::string(kLines[line - 1]) + "S\n";
    return out;
  }
};

TEST_F(Ranges, SelectLinesOfTheSequence) {
  const std::string none;
  run_cases({
      {{"+"}, marked({4})},
      {{".-"}, marked({2})},
      {{"."}, "box/cur/c:2,S\n"},
      {{"^"}, marked({2})},
      {{"^^"}, marked({1})},
      {{"5^"}, none, "message not found for specified range: 5^\n"},
      {{"="}, marked({1, 2, 3, 4})},
      {{"_"}, marked({3})},
      {{"2_"}, marked({2, 3})},
      {{"3^="}, marked({1, 2, 3, 4})},
      {{":"}, marked({1, 2, 3, 4, 5})},
      {{"-2:"}, marked({4, 5})},
      {{"$"}, marked({5})},
      {{"-1"}, marked({5})},
      {{"$-1"}, marked({4})},
      {{"2:+2"}, marked({2, 3, 4})},
      {{"1:."}, marked({1, 2, 3})},
      {{"3:+"}, marked({3, 4})},
      {{"0"}, marked({1})},
      {{"9"}, marked({5})},
      {{"4:2"}, none},
      {{"5+2"}, marked({2})},
      {{""}, marked({3})},
      {{"1", "4", "2:3"}, marked({1, 4, 2, 3})},
      {{"1::"}, none, "can't parse range: 1::\n"},
      {{"3^x"}, none, "can't parse range: 3^x\n"},
      {{"2", "x", "3"}, marked({2}), "strtol: Invalid argument\n", 2},
      {{"3x"}, none, "strtol: Invalid argument\n", 2},
      {{"1:-"}, none, "strtol: Invalid argument\n", 2},
      {{"99999999999999999999"}, none, "strtol: Numerical result out of range\n", 2},
  });
}

TEST_F(Ranges, CurrentMessageOutsideTheSequence) {
  run_cases(
      {
          {{"+"}, marked({1})},
          {{".-"}, marked({1})},
          {{"="}, "", "can't parse range: =\n"},
          {{"^"}, "", "message not found for specified range: ^\n"},
          {{"_"}, marked({1, 2, 3, 4, 5})},
      },
      "box/cur/gone:2,");
}

TEST_F(Ranges, EmptyOrMissingSequence) {
  reset();
  write_file(".quobix/seq", "");
  EXPECT_EQ(run({"qxmark", "-S", ":"}), (RunResult{"", "", 0}));
  EXPECT_EQ(run({"qxmark", "-S", "="}), (RunResult{"", "can't parse range: =\n", 0}));

  reset("box/cur/c:2,", false);
  std::string missing =
      "could not read sequence '" + path(".quobix/seq") + "': No such file or directory\n";
  EXPECT_EQ(run({"qxmark", "-S", ".", "1"}), (RunResult{"box/cur/c:2,S\n", missing, 0}));

  reset();
  set_env("MAILSEQ", path("other-seq"));
  write_file("other-seq", "box/cur/e:2,\n");
  EXPECT_EQ(run({"qxmark", "-S", "1"}), (RunResult{"box/cur/e:2,S\n", "", 0}));
}

TEST_F(Ranges, NoHomeDirectory) {
  constexpr unsigned kHomeless = 54321;
  if (getpwuid(kHomeless) != nullptr) GTEST_SKIP() << "user id 54321 has a password entry";
  if (std::string why = run_as(kHomeless); !why.empty()) GTEST_SKIP() << why;
  reset();
  set_env("HOME", "");
  EXPECT_EQ(run({"qxmark", "-S", "1"}),
            (RunResult{"", "could not read sequence '/dev/null/homeless': Not a directory\n", 0}));
}

TEST_F(Ranges, PathsStandardInputAndDash) {
  reset();
  EXPECT_EQ(run({"qxmark", "-S", "./box", "nowhere/x"}),
            (RunResult{"./box/cur/a:2,S\n./box/cur/b:2,S\n./box/cur/c:2,S\n./box/cur/d:2,S\n"
                       "./box/cur/e:2,S\n",
                       "", 0}));

  reset();
  EXPECT_EQ(run({"qxmark", "-S"}, " box/cur/a:2,\n\nbox/cur/b:2,"),
            (RunResult{" box/cur/a:2,S\nbox/cur/b:2,S\n", "", 0}));

  const std::string warning =
      "quobix: warning: - now means read mail text from standard input, use .- to refer to "
      "previous mail\n";
  EXPECT_EQ(run_on_terminal({"qxmark", "-S", "-", "-"}), (RunResult{"", warning + warning, 0}));
  EXPECT_EQ(run({"qxmark", "-S", "-"}), (RunResult{"", "", 0}));
}

// A Range that fails to convert and names a file or folder here ends as
// before, with one more line on how to write the path.
TEST_F(Ranges, BareNameOfAFolderOrFileGetsAHint) {
  reset();
  make_maildir("other");
  write_file("notes", "Subject: x\n\n");
  const std::string strtol = "strtol: Invalid argument\n";
  const std::string folder = "'box' is read as a Range; write ./box for the folder\n";
  struct Case {
    std::vector<std::string> argv;
    std::string err;
    int status;
  } cases[] = {
      {{"qxfilter", "box"}, strtol + "qxfilter: " + folder, 2},
      {{"qxsearch", "subject:x", "box"}, strtol + "qxsearch: " + folder, 2},
      {{"qxwho", "box"}, strtol + "qxwho: " + folder, 2},
      {{"qxmark", "-S", "box"}, strtol + "qxmark: " + folder, 2},
      {{"qxmove", "box", "./other"}, strtol + "qxmove: " + folder, 2},
      {{"qxwho", "notes"},
       strtol + "qxwho: 'notes' is read as a Range; write ./notes for the file\n",
       2},
      {{"qxwho", "absent"}, strtol, 2},
  };
  for (const Case &c : cases) EXPECT_EQ(run(c.argv), (RunResult{"", c.err, c.status})) << c.argv[0];
}

}  // namespace
