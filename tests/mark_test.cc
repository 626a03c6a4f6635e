// qxmark end to end: renames, output, the Current message, -v modes.
#include "harness.h"

namespace {

class Mark : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    make_maildir("box");
    write_file("box/cur/m1:2,S", "Subject: one\n\nbody\n");
    write_file("box/cur/m2:2,", "Subject: two\n\nbody\n");
    write_file("box/new/m3", "Subject: three\n\nbody\n");
    write_file(".quobix/seq", "box/cur/m1:2,S\n  box/cur/m2:2,\nbox/new/m3\n");
  }
};

TEST_F(Mark, SetsFlagAndPrintsNewName) {
  EXPECT_EQ(run({"qxmark", "-T", "box/cur/m1:2,S"}), (RunResult{"box/cur/m1:2,ST\n", "", 0}));
  EXPECT_EQ(list_dir("box/cur"), (std::vector<std::string>{"m1:2,ST", "m2:2,"}));
  EXPECT_EQ(read_file("box/cur/m1:2,ST"), "Subject: one\n\nbody\n");
}

TEST_F(Mark, OptionsAreAppliedInOrder) {
  struct Case {
    std::vector<std::string> options;
    std::string out;
  } cases[] = {
      {{"-S", "-s"}, ""},
      {{"-s", "-S"}, "  box/cur/m2:2,S\n"},
      {{"-X", "RS", "-r"}, "  box/cur/m2:2,S\n"},
      {{"-X", "", "-x", ""}, ""},
      {{"-FDPRST"}, "  box/cur/m2:2,DFPRST\n"},
  };
  for (const auto &c : cases) {
    std::vector<std::string> argv = {"qxmark"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.push_back("2");
    EXPECT_EQ(run(argv), (RunResult{c.out, "", 0})) << c.options[0];
    if (!c.out.empty()) {  // back to m2:2,
      std::string renamed = c.out.substr(2, c.out.size() - 3);
      run({"qxmark", "-dfprst", renamed});
    }
  }
}

TEST_F(Mark, NamesFromStandardInputKeepIndentation) {
  EXPECT_EQ(run({"qxmark", "-S"}, "  box/cur/m2:2,\nbox/new/m3\n"),
            (RunResult{"  box/cur/m2:2,S\n", "", 0}));
  EXPECT_TRUE(exists("box/cur/m2:2,S"));
}

TEST_F(Mark, CurrentMessageFollowsTheRename) {
  make_symlink("box/cur/m1:2,S", ".quobix/cur");
  EXPECT_EQ(run_on_terminal({"qxmark", "-R"}), (RunResult{"box/cur/m1:2,RS\n", "", 0}));
  EXPECT_EQ(read_symlink(".quobix/cur"), "box/cur/m1:2,RS");
  EXPECT_EQ(run({"qxmark", "-F", "box/cur/m2:2,"}), (RunResult{"box/cur/m2:2,F\n", "", 0}));
  EXPECT_EQ(read_symlink(".quobix/cur"), "box/cur/m1:2,RS");
}

TEST_F(Mark, MaildotLeavesTheLinkAlone) {
  make_symlink("box/cur/m1:2,S", ".quobix/cur");
  set_env("MAILDOT", "box/cur/m2:2,");
  EXPECT_EQ(run_on_terminal({"qxmark", "-T"}), (RunResult{"box/cur/m2:2,T\n", "", 0}));
  EXPECT_EQ(read_symlink(".quobix/cur"), "box/cur/m1:2,S");
}

TEST_F(Mark, NothingToChangeOnTerminalPrintsNothing) {
  make_symlink("box/cur/m1:2,S", ".quobix/cur");
  EXPECT_EQ(run_on_terminal({"qxmark"}), (RunResult{"", "", 0}));
  EXPECT_EQ(run_on_terminal({"qxmark", "-S", "box/new/m3"}), (RunResult{"", "", 0}));
}

TEST_F(Mark, VerbosePrintsWholeListWithChangedNames) {
  make_symlink("box/cur/m1:2,S", ".quobix/cur");
  // Selection from the arguments, then the whole Sequence on a terminal.
  EXPECT_EQ(run_on_terminal({"qxmark", "-v", "-S", "2"}),
            (RunResult{"box/cur/m1:2,S\n  box/cur/m2:2,S\nbox/new/m3\n", "", 0}));
  // No selection: only the Current message is marked, the list comes from standard input.
  EXPECT_EQ(run({"qxmark", "-v", "-T", "."}, "box/cur/m1:2,S\n  box/cur/m2:2,S\nother\n"),
            (RunResult{"box/cur/m1:2,ST\n  box/cur/m2:2,S\nother\n", "", 0}));
  // No arguments and a pipe: every name read is marked.
  EXPECT_EQ(run({"qxmark", "-v", "-s"}, "box/cur/m1:2,ST\n  box/cur/m2:2,S\n"),
            (RunResult{"box/cur/m1:2,T\n  box/cur/m2:2,\n", "", 0}));
}

TEST_F(Mark, FailedRenameIsReportedAndNeverReplacesAFile) {
  write_file("box/cur/m2:2,S", "Subject: twin\n\n");
  EXPECT_EQ(run({"qxmark", "-S"}, "box/cur/m2:2,\nbox/cur/gone:2,\n"),
            (RunResult{"",
                       "qxmark: can't rename 'box/cur/m2:2,' to 'box/cur/m2:2,S': File exists\n"
                       "qxmark: can't rename 'box/cur/gone:2,' to 'box/cur/gone:2,S': No such "
                       "file or directory\n",
                       0}));
  EXPECT_EQ(read_file("box/cur/m2:2,S"), "Subject: twin\n\n");
  EXPECT_EQ(read_file("box/cur/m2:2,"), "Subject: two\n\nbody\n");

  std::string long_name = "box/cur/" + std::string(1016, 'n') + ":2,";
  EXPECT_EQ(run({"qxmark", "-S"}, long_name + "\n"),
            (RunResult{"",
                       "qxmark: can't rename '" + long_name + "' to '" + long_name +
                           "S': File name too long\n",
                       0}));
}

TEST_F(Mark, UsageError) {
  EXPECT_EQ(run({"qxmark", "-q"}),
            (RunResult{"",
                       "qxmark: invalid option -- 'q'\n"
                       "Usage: qxmark [-DFPRST] [-X str]\n\t\t  [-dfprst] [-x str]\n\t\t  [-v] "
                       "[msgs...]\n",
                       1}));
  EXPECT_EQ(run({"qxmark", "-X"}).status, 1);
}

}  // namespace
