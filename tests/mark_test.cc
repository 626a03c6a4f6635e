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
    write_file(".quobix/seq", "box/cur/m1:2,S\nbox/cur/m2:2,\n");
  }
};

TEST_F(Mark, SetsFlagAndPrintsNewName) {
  EXPECT_EQ(run({"qxmark", "-T", "box/cur/m1:2,S"}), (RunResult{"box/cur/m1:2,ST\n", "", 0}));
  EXPECT_TRUE(exists("box/cur/m1:2,ST"));
  EXPECT_FALSE(exists("box/cur/m1:2,S"));
}

TEST_F(Mark, NamesFromStandardInputKeepIndentation) {
  EXPECT_EQ(run({"qxmark", "-S"}, "  box/cur/m2:2,\nbox/new/m3\n"),
            (RunResult{"  box/cur/m2:2,S\n", "", 0}));
  EXPECT_TRUE(exists("box/cur/m2:2,S"));
}

TEST_F(Mark, TerminalWithoutArgumentsVisitsCurrentMessage) {
  make_symlink("box/cur/m1:2,S", ".quobix/cur");
  EXPECT_EQ(run_on_terminal({"qxmark", "-R"}), (RunResult{"box/cur/m1:2,RS\n", "", 0}));
  EXPECT_EQ(read_symlink(".quobix/cur"), "box/cur/m1:2,RS");
}

TEST_F(Mark, UsageError) {
  EXPECT_EQ(run({"qxmark", "-q"}),
            (RunResult{"",
                       "qxmark: invalid option -- 'q'\n"
                       "Usage: qxmark [-DFPRST] [-X str]\n\t\t  [-dfprst] [-x str]\n\t\t  [-v] "
                       "[msgs...]\n",
                       1}));
}

}  // namespace
