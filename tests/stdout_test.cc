// Every tool flushes and checks standard output before it ends: a write
// that does not reach it is reported and gives the tool's error status.
#include "harness.h"

namespace {

class StandardOutput : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    env["PATH"] = bin_dir() + ":" + env["PATH"];
    make_maildir("box");
    make_maildir("other");
    write_file("box/cur/m1:2,", "From: Ann <ann@example.org>\nSubject: hello\n\nbody\n");
    write_file("message", "From: Ann <ann@example.org>\nSubject: hello\n\nbody\n");
    write_file(".quobix/profile", "FQDN: example.org\n");
  }
};

TEST_F(StandardOutput, FullDeviceIsReportedWithTheErrorStatus) {
  struct Case {
    std::string command;  // run with standard output on /dev/full
    std::string tool;
    int status;
  } cases[] = {
      {"echo box/cur/m1:2, | qxfilter", "qxfilter", 1},
      {"qxsearch subject:hello box/cur/m1:2,", "qxsearch", 2},
      {"qxwho box/cur/m1:2,", "qxwho", 1},
      {"qxfolders .", "qxfolders", 255},
      {"qxencode -r < message", "qxencode", 1},
      {"qxnewid", "qxnewid", 1},
      {"echo box/cur/m1:2, | qxmark -v", "qxmark", 255},
      {"qxmark -S box/cur/m1:2,", "qxmark", 255},
      {"qxstore -v box < message", "qxstore", 2},
      {"qxmove -v ./message other", "qxmove", 2},
  };
  for (const Case &c : cases) {
    RunResult result = run({"/bin/sh", "-c", c.command + " > /dev/full"});
    EXPECT_EQ(result,
              (RunResult{"", c.tool + ": standard output: No space left on device\n", c.status}))
        << c.command;
  }
}

TEST_F(StandardOutput, ReaderThatLeavesIsNotReported) {
  for (int i = 0; i < 3000; ++i) write_file("many/m" + std::to_string(i), "Subject: hello\n\n");
  EXPECT_EQ(run({"/bin/sh", "-c", "qxsearch subject:hello ./many | head -n 1"}),
            (RunResult{"./many/m0\n", "", 0}));
}

}  // namespace
