// qxfilter end to end: the evaluation of every kind of test, the driver's
// options and exit statuses, output targets and thread mode.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// Input lines of the evaluation table, numbered from 1 in the cases.
const std::vector<std::string> kLines = {
    "box/cur/1:2,S",       // 1: Alice, To: bob (no display name), Bob <bob@...net>
    "box/cur/2:2,FR",      // 2: a reply with a bad date and an X-Mailer
    "box/new/3",           // 3: Carol, no Date
    "<placeholder>",       // 4
    "box/cur/gone:2,S",    // 5: no such file
    "box/cur/dir",         // 6: a directory
    "  box/cur/1:2,S \t",  // 7: message 1 again, indented, trailing blanks
};

struct Case {
  std::string test;
  std::vector<int> selected;
};

class Filter : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    set_env("PATH", bin_dir() + ":/usr/bin:/bin");
    set_env("TZ", "UTC");
    make_maildir("box");
    write_file("box/cur/1:2,S",
               "From: Alice <alice@example.org>\n"
               "To: bob@example.com, Bob <bob@example.net>\n"
               "Subject: =?UTF-8?Q?caf=C3=A9?= menu\n"
               "Date: Thu, 10 Dec 2026 10:00:00 +0000\n"
               "\n"
               "body\n");
    write_file("box/cur/2:2,FR",
               "From: bob@example.com\n"
               "Subject: Re: hello\n"
               "Date: someday\n"
               "X-Mailer: Mutt\n"
               "\n");
    write_file("box/new/3", "From: \"Carol\" <carol@example.org>\nSubject: hello again\n\n");
    std::filesystem::create_directories(path("box/cur/dir"));
  }

  static std::string input(const std::vector<std::string> &lines) {
    std::string text;
    for (const auto &line : lines) text += line + "\n";
    return text;
  }
  // The output qxfilter gives for the selected lines of kLines.
  static std::string printed(const std::vector<int> &selected) {
    std::string out;
    for (int number : selected) {
      std::string line = kLines[number - 1];
      out += line.substr(0, line.find_last_not_of(" \t") + 1) + "\n";
    }
    return out;
  }
  void run_cases(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
      SCOPED_TRACE(c.test);
      EXPECT_EQ(run({"qxfilter", "-t", c.test}, input(kLines)),
                (RunResult{printed(c.selected), "", 0}));
    }
  }
};

TEST_F(Filter, FlagsDepthIndexAndActions) {
  run_cases({
      {"seen", {1, 4, 5, 7}},
      {"flagged && replied", {2}},
      {"new", {3}},
      {"info", {4}},
      {"!seen", {2, 3, 6}},
      {"passed || trashed || draft || cur", {}},
      {"depth == 0", {1, 2, 3, 4, 5, 6}},
      {"depth >= 2", {7}},
      {"index <= 2", {1, 2}},
      {"index != 3 && index > 1 && index < 6", {2, 4, 5}},
      {"index = 7", {7}},
      {"kept < 2", {1, 2}},
      {"kept == 2 || index <= 2", {1, 2, 3}},
      {"print", {1, 2, 3, 4, 5, 6, 7}},
      {"skip", {}},
      {"prune && index == 2 || index == 3", {2, 3}},
      {"new ? print : flagged", {2, 3}},
      {"let x = seen let y = x && !info in y && x", {1, 5, 7}},
  });
}

TEST_F(Filter, HeaderAndPathTests) {
  run_cases({
      {"from.addr ~~ \"*@example.org\"", {1, 3, 7}},
      {"from.disp == \"Alice\" || from.disp == \"Carol\"", {1, 3, 7}},
      {"from.disp ~~ \"*\"", {1, 3, 7}},
      {"from == \"bob@example.com\"", {2}},
      {"from ~~ \"Alice*\"", {1, 7}},
      // The walk over the addresses ends at the first one without the part.
      {"to.addr == \"bob@example.net\"", {1, 7}},
      {"to.disp == \"Bob\"", {}},
      // Encoded words are decoded for header tests.
      {"subject == \"caf\xc3\xa9 menu\"", {1, 7}},
      {"subject =~ \"^Re:\"", {2}},
      {"subject =~ \"^re:\"", {}},
      {"subject =~~ \"^re:\"", {2}},
      {"subject =~ \"hello\"", {2, 3}},
      {"subject ~~ \"HELLO*\"", {}},
      {"subject ~~~ \"HELLO*\"", {3}},
      {"subject === \"RE: HELLO\"", {2}},
      {"\"X-Mailer\" == \"Mutt\"", {2}},
      {"\"x-mailer\" ~~ \"M*\"", {2}},
      // A missing header fails every test and passes every negated one.
      {"\"x-mailer\" !~~ \"M*\"", {1, 3, 4, 5, 6, 7}},
      {"subject != \"hello again\"", {1, 2, 4, 5, 6, 7}},
      {"path ~~ \"*/new/*\"", {3}},
      {"path == \"box/cur/1:2,S\"", {1, 7}},
      {"path == \"\"", {4}},
      // A message that cannot be read has path "" afterwards.
      {"subject ~~ \"*\" || path == \"\"", {1, 2, 3, 4, 5, 6, 7}},
      {"from ~~ \"*\" || path =~ \"box\"", {1, 2, 3, 7}},
      // Patterns ending in a star and a plain tail, which needs no fnmatch
      // where the value does not end with it, and tails that are not plain.
      {"from.addr ~~ \"*ORG\"", {}},
      {"from.addr ~~~ \"*ORG\"", {1, 3, 7}},
      {"from.addr ~~ \"*e.com\"", {2}},
      {"subject ~~ \"hello*[n]\"", {3}},
      {"subject ~~ \"hello[ *]again\"", {3}},
      {"subject ~~ \"*[*]\"", {}},
  });
}

TEST_F(Filter, DateSizeAndTimes) {
  run_cases({
      {"date == 1796896800", {1, 7}},
      {"date < 0", {2, 3, 4, 5, 6}},
      {"date > \"2026-12-10\" && date < \"2026-12-11\"", {1, 7}},
      {"size > 0", {1, 2, 3, 6, 7}},
      {"size == 0", {4, 5}},
      {"size > 60 && size < 1k && index != 6", {1, 2, 7}},
      {"mtime > 0 && atime > 0 && ctime > 0", {1, 2, 3, 6, 7}},
      // A failed stat clears the path as well.
      {"mtime == 0 && path == \"\"", {4, 5}},
  });
}

// A literal is local time with that date's own daylight saving.
TEST_F(Filter, TimeLiteralsFollowSummerTime) {
  set_env("TZ", "Europe/Berlin");
  write_file("box/cur/summer", "Date: Mon, 15 Jun 2026 12:30:00 +0200\n\n");
  write_file("box/cur/winter", "Date: Tue, 15 Dec 2026 12:30:00 +0100\n\n");
  const Case cases[] = {
      {"date == \"2026-06-15 12:30:00\"", {1}},
      {"date == \"2026-06-15 11:30:00\"", {}},
      {"date == \"2026-12-15 12:30:00\"", {2}},
      {"date == \"2026-12-15 11:30:00\"", {}},
      {"date >= \"2026-06-15\" && date < \"2026-06-15 12:30:01\"", {1}},
  };
  const std::string names[] = {"box/cur/summer", "box/cur/winter"};
  for (const Case &c : cases) {
    std::string expected;
    for (int number : c.selected) expected += names[number - 1] + "\n";
    EXPECT_EQ(run({"qxfilter", "-t", c.test}, "box/cur/summer\nbox/cur/winter\n"),
              (RunResult{expected, "", 0}))
        << c.test;
  }
}

TEST_F(Filter, HugeHeaderIsCutToTheDecodeBuffer) {
  std::string subject = std::string(5000, 'a') + "end";
  write_file("box/cur/big", "X-Padding: " + std::string(9000, 'p') + "\nSubject: " + subject +
                                "\nFrom: " + std::string(3000, ' ') + "<x@y>\n\n");
  const Case cases[] = {
      {"subject ~~ \"aaaa*\"", {1}},
      {"subject ~~ \"*end\"", {}},
      // A value without encoded words is cut to 4093 bytes.
      {"subject ~~ \"" + std::string(4093, 'a') + "\"", {1}},
      {"from.addr == \"x@y\"", {1}},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(run({"qxfilter", "-t", c.test}, "box/cur/big\n"),
              (RunResult{c.selected.empty() ? "" : "box/cur/big\n", "", 0}))
        << c.test.substr(0, 30);
  }
}

TEST_F(Filter, ComparisonsWithTheCurrentMessage) {
  const std::string lines = "a\nb\nc\nd\n";
  struct CurCase {
    std::string test, with_c_current, without_current;
  } cases[] = {
      {"index < cur", "a\nb\n", "a\nb\nc\nd\n"},
      {"index <= cur", "a\nb\nc\n", "a\nb\nc\nd\n"},
      {"index > cur", "a\nb\nd\n", "a\nb\nc\nd\n"},
      {"index >= cur", "a\nb\nc\nd\n", "a\nb\nc\nd\n"},
      {"index != cur", "a\nb\nd\n", "a\nb\nc\nd\n"},
      {"index == cur", "c\n", ""},
      {"cur", "c\n", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.test);
    set_env("MAILDOT", "c");
    EXPECT_EQ(run({"qxfilter", "-t", c.test}, lines), (RunResult{c.with_c_current, "", 0}));
    set_env("MAILDOT", "elsewhere");
    EXPECT_EQ(run({"qxfilter", "-t", c.test}, lines), (RunResult{c.without_current, "", 0}));
  }
}

TEST_F(Filter, TotalHasNoValue) {
  EXPECT_EQ(run({"qxfilter", "-t", "seen || total > 3"}, "a:2,S\nb\n"),
            (RunResult{"a:2,S\n", "qxfilter: parse error: argv:1:18: unknown property\n", 2}));
}

// Without a test every line is printed; trailing blanks are cut, the
// indentation stays.
TEST_F(Filter, NoTestPrintsEveryMessage) {
  EXPECT_EQ(run({"qxfilter"}, " a \nb\t\n\t c\n"), (RunResult{" a\nb\n\t c\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-v"}, ""), (RunResult{"", "0 mails tested, 0 picked.\n", 0}));
  EXPECT_EQ(run({"qxfilter", "-v", "-t", "seen"}, "x:2,S\ny\n"),
            (RunResult{"x:2,S\n", "2 mails tested, 1 picked.\n", 0}));
}

TEST_F(Filter, MessageArguments) {
  write_file(".quobix/seq", "box/cur/1:2,S\n  box/cur/2:2,FR\nbox/new/3\n");
  // On a terminal with no argument: the whole Sequence.
  EXPECT_EQ(run_on_terminal({"qxfilter", "-t", "!new"}),
            (RunResult{"box/cur/1:2,S\n  box/cur/2:2,FR\n", "", 0}));
  // A Range after an operand is not an option.
  EXPECT_EQ(run({"qxfilter", "-t", "seen || new", "1", "-1"}),
            (RunResult{"box/cur/1:2,S\nbox/new/3\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "flagged", "./box"}), (RunResult{"./box/cur/2:2,FR\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "subject == \"piped\"", "-"}, "Subject: piped\n\nbody\n"),
            (RunResult{"/dev/stdin\n", "", 0}));
}

TEST_F(Filter, SeveralTestsMustAllHold) {
  write_file("tests.q", "# both of them\nnew\n");
  const std::string lines = "box/new/1:2,S\nbox/new/2\nbox/cur/3:2,S\n";
  EXPECT_EQ(run({"qxfilter", "-t", "seen", "-t", "new"}, lines),
            (RunResult{"box/new/1:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-F", "tests.q", "-t", "seen"}, lines),
            (RunResult{"box/new/1:2,S\n", "", 0}));
  // A test file can be a pipe: here a FIFO written by another process.
  EXPECT_EQ(
      run({"/bin/sh", "-c", "mkfifo fifo && { echo seen >fifo & } && qxfilter -F fifo"}, lines),
      (RunResult{"box/new/1:2,S\nbox/cur/3:2,S\n", "", 0}));
}

TEST_F(Filter, UsageAndErrors) {
  const std::string usage = "Usage: qxfilter [-Tv] [-t test] [-F file] [msgs...]\n";
  EXPECT_EQ(run({"qxfilter", "-x"}),
            (RunResult{"", "qxfilter: invalid option -- 'x'\n" + usage, 1}));
  EXPECT_EQ(run({"qxfilter", "-t"}),
            (RunResult{"", "qxfilter: option requires an argument -- 't'\n" + usage, 1}));
  EXPECT_EQ(run({"qxfilter", "-F", "nope"}, "a\n"),
            (RunResult{"", "qxfilter: error opening file 'nope': No such file or directory\n", 1}));
  // Every test is parsed before any message is read.
  write_file("bad.q", "seen\n  && )\n");
  EXPECT_EQ(run({"qxfilter", "-t", "print > \"out\"", "-F", "bad.q"}, "a\n"),
            (RunResult{"", "qxfilter: parse error: bad.q:2:6: unknown expression at ')'\n", 2}));
  EXPECT_FALSE(exists("out"));
}

TEST_F(Filter, OutputTargets) {
  write_file("truncated", "old\n");
  const std::string lines = "a:2,S\n b\n  c:2,S\nd\n";
  EXPECT_EQ(run({"qxfilter", "-t",
                 "seen > \"truncated\" || print >> \"appended\" && index == 2 || "
                 "info > \"never\" || print | \"cat >piped\""},
                lines),
            (RunResult{lines, "", 0}));
  // Each target is opened once per run and the lines keep their indentation.
  EXPECT_EQ(read_file("truncated"), "a:2,S\n  c:2,S\n");
  EXPECT_EQ(read_file("appended"), " b\nd\n");
  EXPECT_EQ(read_file("piped"), "d\n");
  EXPECT_FALSE(exists("never"));
  run({"qxfilter", "-t", "print >> \"appended\" && skip"}, "e\n");
  EXPECT_EQ(read_file("appended"), " b\nd\ne\n");
  // The same target named twice is one stream.
  EXPECT_EQ(run({"qxfilter", "-t", "seen > \"once\" || print > \"once\""}, lines).status, 0);
  EXPECT_EQ(read_file("once"), lines);
}

TEST_F(Filter, TargetThatCannotBeOpenedEndsTheRun) {
  EXPECT_EQ(run({"qxfilter", "-v", "-t", "seen || print > \"no/such\""}, "a:2,S\nb\nc\n"),
            (RunResult{"a:2,S\n", "qxfilter: no/such: No such file or directory\n", 3}));
  EXPECT_EQ(run({"qxfilter", "-t", "print | \"exit 0\" && print > \"no/such\""}, "a\n").status, 3);
}

// A target that does not take every line is reported once and fails the
// run; the other targets and standard output still get theirs.
TEST_F(Filter, TargetThatLosesLinesFailsTheRun) {
  std::string lines;
  for (int i = 1; i <= 300; ++i) lines += "box/cur/message-" + std::to_string(i) + "\n";
  for (const char *test : {"print > \"/dev/full\"", "print >> \"/dev/full\""}) {
    SCOPED_TRACE(test);
    EXPECT_EQ(run({"qxfilter", "-t", std::string(test) + " && print > \"copy\""}, lines),
              (RunResult{lines, "qxfilter: /dev/full: No space left on device\n", 3}));
    EXPECT_EQ(read_file("copy"), lines);
  }
  // A file that fills up, here by reaching the file size limit.
  EXPECT_EQ(run({"/bin/sh", "-c", "ulimit -f 4 && qxfilter -t 'print > \"out\"'"}, lines),
            (RunResult{lines, "qxfilter: out: File too large\n", 3}));
  EXPECT_LT(read_file("out").size(), lines.size());
  // A command's exit status is its own business.
  EXPECT_EQ(run({"qxfilter", "-t", "print | \"cat >/dev/null; exit 3\""}, "a\nb\n"),
            (RunResult{"a\nb\n", "", 0}));
}

// A command that stops reading before the end costs its lines, not the run.
TEST_F(Filter, PipeTargetThatExitsEarly) {
  EXPECT_EQ(run({"/bin/sh", "-c",
                 "{ echo a; sleep 0.5; echo b; } | "
                 "qxfilter -v -t 'print | \"exit 0\" && print > \"all\"'"}),
            (RunResult{"a\nb\n", "2 mails tested, 2 picked.\n", 0}));
  EXPECT_EQ(read_file("all"), "a\nb\n");
  // Standard output whose reader has gone ends the run in order.
  EXPECT_EQ(run({"/bin/sh", "-c",
                 "{ echo a; sleep 0.5; echo b; } | "
                 "qxfilter -v -t 'print > \"all\"' | head -n 1"}),
            (RunResult{"a\n", "2 mails tested, 2 picked.\n", 0}));
  EXPECT_EQ(read_file("all"), "a\nb\n");
}

// A FIFO is no message: flag tests never open it, and a header test finds
// a message that cannot be read (its path becomes "") without waiting for
// a writer.
TEST_F(Filter, FifoIsNeverWaitedFor) {
  ASSERT_EQ(mkfifo(path("box/cur/fifo:2,S").c_str(), 0600), 0);
  EXPECT_EQ(run({"qxfilter", "-t", "seen && depth == 0 && index == 1 && path ~~ \"*fifo*\""},
                "box/cur/fifo:2,S\n"),
            (RunResult{"box/cur/fifo:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "subject ~~ \"*\" || path == \"\""}, "box/cur/fifo:2,S\n"),
            (RunResult{"box/cur/fifo:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "subject ~~ \"*\" || date > 0"}, "box/cur/fifo:2,S\n"),
            (RunResult{"", "", 0}));
}

// Thread mode over two threads: a, b, c at depths 0, 1, 2; then d, e.
class Threads : public Filter {
 protected:
  const std::string lines = "a:2,S\n b\n  c:2,S\nd\n e\n";
};

TEST_F(Threads, ThreadPropertiesAndPrune) {
  struct ThreadCase {
    std::vector<std::string> options;
    std::string out;
  } cases[] = {
      {{"-t", "replies == 2"}, "a:2,S\n"},
      {{"-t", "replies == 1"}, " b\nd\n"},
      {{"-t", "replies > 0"}, "a:2,S\n b\nd\n"},
      {{"-t", "parent"}, "a:2,S\n b\nd\n"},
      {{"-t", "child"}, " b\n  c:2,S\n e\n"},
      {{"-t", "parent && child"}, " b\n"},
      {{"-t", "depth == 0 && prune"}, "a:2,S\nd\n"},
      {{"-T", "-t", "depth == 0 && prune"}, "a:2,S\nd\n"},
      {{"-T", "-t", "index == 2"}, "a:2,S\n b\n  c:2,S\n"},
      {{"-T", "-t", "index == 2 && prune"}, "a:2,S\n b\n"},
      {{"-T", "-t", "seen"}, "a:2,S\n b\n  c:2,S\n"},
      {{"-T"}, ""},
      {{"-t", "index == 4 && !child || index == 3 && child"}, "  c:2,S\nd\n"},
      // kept counts only the lines printed for earlier threads.
      {{"-t", "(child || !child) && kept == 0"}, "a:2,S\n b\n  c:2,S\n"},
      {{"-t", "kept == 0"}, "a:2,S\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options.back());
    std::vector<std::string> argv = {"qxfilter"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(run(argv, lines), (RunResult{c.out, "", 0}));
  }
  EXPECT_EQ(run({"qxfilter", "-v", "-T", "-t", "index == 5"}, lines),
            (RunResult{"d\n e\n", "5 mails tested, 2 picked.\n", 0}));
}

TEST_F(Threads, WholeThreadStopsEvaluatingAtTheFirstSelected) {
  write_file("m1", "From: alice@example.org\n\n");
  write_file("m2", "From: bob@example.org\n\n");
  write_file("m3", "From: bob@example.org\n\n");
  EXPECT_EQ(
      run({"qxfilter", "-T", "-t", "print >> \"evaluated\" && from =~ \"bob\""}, "m1\n m2\n  m3\n"),
      (RunResult{"m1\n m2\n  m3\n", "", 0}));
  EXPECT_EQ(read_file("evaluated"), "m1\n m2\n");
}

TEST_F(Threads, IndentedFirstLineStartsAThread) {
  EXPECT_EQ(run({"qxfilter", "-T", "-t", "index == 3"}, "  x\n\ty\n z\nw\n"),
            (RunResult{"  x\n\ty\n z\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "depth == 2 && replies == 2"}, "  x\n\ty\n z\nw\n"),
            (RunResult{"  x\n", "", 0}));
}

TEST_F(Threads, LongThreadIsKeptWhole) {
  std::string thread = "first\n";
  for (int i = 0; i < 150; ++i) thread += " reply" + std::to_string(i) + "\n";
  EXPECT_EQ(run({"qxfilter", "-T", "-t", "index == 151"}, thread + "next\n"),
            (RunResult{thread, "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "replies == 150"}, thread), (RunResult{"first\n", "", 0}));
}

}  // namespace
