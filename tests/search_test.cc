// qxsearch end to end: header, "*", flags and body modes, the output
// options, the MIME rules of body searches, message sources and errors.
#include "harness.h"

namespace {

const char kM1[] = "./box/cur/m1:2,FS";
const char kM2[] = "./box/cur/m2:2,S";
const char kM3[] = "./box/cur/m3:2,";
const char kUsage[] =
    "Usage: qxsearch [-c|-h|-o|-p|-q|-m max] [-v] [-i] [-l] [-a|-d] header:regex [msgs...]\n";

struct Case {
  std::vector<std::string> arguments;
  std::string out;
  int status = 0;
};

std::string lines(std::initializer_list<std::string> each) {
  std::string text;
  for (const std::string &line : each) text += line + "\n";
  return text;
}

class Search : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    make_maildir("box");
    write_file("box/cur/m1:2,FS",
               "From: Bob <alice@example.org>\nTo: a@b.org, Bob <bob@c.org>\n"
               "Subject: hello foo\nX-Word: =?UTF-8?Q?caf=C3=A9?=\n\nfirst foo line\nx\nlast foo");
    write_file("box/cur/m2:2,S", "From: bob@example.org\nSubject: Foo and bar\n\nbody\n");
    write_file("box/cur/m3:2,", "From: carol@example.org\n\nno subject\n");
  }

  // Runs qxsearch with each case's arguments (then the files given) and
  // compares output and status; nothing may appear on standard error.
  void run_cases(const std::vector<Case> &cases, const std::vector<std::string> &files) {
    for (const Case &c : cases) {
      std::vector<std::string> argv = {"qxsearch"};
      argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
      argv.insert(argv.end(), files.begin(), files.end());
      std::string shown;
      for (const std::string &argument : c.arguments) shown += argument + " ";
      EXPECT_EQ(run(argv), (RunResult{c.out, "", c.status})) << shown;
    }
  }
};

TEST_F(Search, OneHeader) {
  run_cases(
      {
          {{"subject:foo"}, lines({kM1})},
          {{"-i", "subject:foo"}, lines({kM1, kM2})},
          {{"-h", "subject:foo"}, "subject: hello foo\n"},
          {{"-h", "Subject:foo"}, "Subject: hello foo\n"},
          {{"-p", "subject:foo"}, std::string(kM1) + ": subject: hello foo\n"},
          {{"-h", "-p", "subject:foo"}, ": subject: hello foo\n"},
          {{"-v", "-h", "subject:foo"}, lines({kM2})},  // m3 has no Subject
          {{"from:^alice"}, "", 1},
          {{"-a", "from:^alice"}, lines({kM1})},
          {{"-a", "from:^bob"}, lines({kM2})},
          {{"-a", "-h", "to:^bob"}, "to: bob@c.org\n"},
          {{"-a", "-d", "from:^alice"}, "", 1},  // -d wins over -a
          {{"x-word:café"}, "", 1},
          {{"-d", "-h", "x-word:café"}, "x-word: café\n"},
      },
      {"./box"});
}

TEST_F(Search, EveryHeader) {
  run_cases(
      {
          {{"-p", "*:ar"},
           lines({std::string(kM2) + ": subject: Foo and bar",
                  std::string(kM3) + ": from: carol@example.org"})},
          {{"-p", "*:b"},
           lines({std::string(kM1) + ": from: Bob <alice@example.org>",
                  std::string(kM1) + ": to: a@b.org, Bob <bob@c.org>",
                  std::string(kM2) + ": from: bob@example.org",
                  std::string(kM2) + ": subject: Foo and bar"})},
          {{"-l", "-p", "*:b"},
           lines({std::string(kM1) + ": from: Bob <alice@example.org>",
                  std::string(kM2) + ": from: bob@example.org"})},
          {{"-c", "*:b"}, "4\n"},
          {{"-h", "*:^ "}, "", 1},  // one leading space is removed from each value
      },
      {"./box"});
}

TEST_F(Search, FlagsInTheFileName) {
  run_cases(
      {
          {{":^F"}, lines({kM1})},
          {{"-h", ":S"}, "flags: FS\nflags: S\n"},
          {{":^$"}, lines({kM3})},
      },
      {"./box"});
  make_maildir("other");
  write_file("other/new/m4", "Subject: x\n\n");
  EXPECT_EQ(run({"qxsearch", ":", "./other/new/m4"}), (RunResult{"", "", 1}));
}

TEST_F(Search, CountsAndEarlyExits) {
  run_cases(
      {
          {{"-c", "subject:o"}, "2\n"},
          {{"-c", "subject:zzz"}, "0\n", 1},
          {{"-c", "-m", "5", "subject:o"}, ""},
          {{"-c", "-q", "subject:o"}, ""},
          {{"-m", "1", "subject:o"}, lines({kM1})},
          {{"-m", "0", "subject:o"}, lines({kM1, kM2})},
          {{"-q", "subject:o"}, ""},
          {{"-q", "subject:zzz"}, "", 1},
      },
      {"./box"});
}

TEST_F(Search, OnlyMatching) {
  write_file("o", "Subject: a1b22\nX-A: aaa\n\n");
  run_cases(
      {
          {{"-o", "subject:[0-9]+"}, "1\n22\n"},
          {{"-o", "x-a:^a"}, "a\na\na\n"},
          {{"-o", "subject:x*"}, "", 1},  // empty matches print nothing
          {{"-o", "x-a:b*$"}, "", 1},
          {{"-o", "-h", "subject:[0-9]+"}, "subject: 1\nsubject: 22\n"},
          {{"-o", "-p", "subject:[0-9]+"}, "./o: subject: 1\n./o: subject: 22\n"},
          {{"-o", "-c", "subject:[0-9]+"}, "1\n"},
          {{"-o", "-v", "subject:zzz"}, "./o\n"},
          {{"-o", "-l", "-h", "*:[0-9]+"}, "subject: a1b22\n"},
      },
      {"./o"});
}

TEST_F(Search, ExpressionFollowsTheLocale) {
  write_file("m", "Subject: café\n\nCAFÉ\n");
  EXPECT_EQ(run({"qxsearch", "-o", "subject:caf.", "./m"}), (RunResult{"caf\xc3\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-i", "/:café", "./m"}), (RunResult{"", "", 1}));
  set_env("LC_ALL", "C.UTF-8");
  EXPECT_EQ(run({"qxsearch", "-o", "subject:caf.", "./m"}), (RunResult{"café\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-i", "/:café", "./m"}), (RunResult{"./m\n", "", 0}));
}

// An ASCII word searched without case: found in any case, also next to
// text that is not ASCII, which only the expression decides.
TEST_F(Search, CaselessWords) {
  set_env("LC_ALL", "C.UTF-8");
  write_file("a", "Subject: Status of ZanZibar\n\n");
  write_file("b", "Subject: caf\xc3\xa9 ZANZIBAR\n\n");
  write_file("c", "Subject: zanzi bar\n\n");
  write_file("d", "Subject: caf\xc3\xa9 zanzi bar\n\n");
  EXPECT_EQ(run({"qxsearch", "-i", "subject:zanzibar", "./a", "./b", "./c", "./d"}),
            (RunResult{"./a\n./b\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-i", "-o", "subject:ZANZIbar", "./a", "./b", "./c"}),
            (RunResult{"ZanZibar\nZANZIBAR\n", "", 0}));
}

// One message per case, searched with /:foo as a whole body.
TEST_F(Search, BodiesThatAreSearched) {
  const std::string multipart = "Content-Type: multipart/mixed; boundary=B\n\n";
  struct BodyCase {
    const char *what;
    std::string message;
    bool found;
  } cases[] = {
      {"no Content-Type", "Subject: x\n\na foo\n", true},
      {"text/plain", "Content-Type: Text/Plain\n\nfoo\n", true},
      {"HTML", "Content-Type: text/html\n\n<b>foo</b>\n", false},
      {"ISO-8859-1", "Content-Type: text/plain; charset=ISO-8859-1\n\nfoo\n", false},
      {"quoted UTF8", "Content-Type: text/plain; charset=\"UTF8\"\n\nfoo\n", true},
      {"US-ASCII", "Content-Type: text/plain; charset=us-ascii\n\nfoo\n", true},
      {"base64", "Content-Transfer-Encoding: base64\n\nZm9v\nCg==\n", true},
      {"quoted-printable", "Content-Transfer-Encoding: quoted-printable\n\nf=6F=\no\n", true},
      {"encoded text stays encoded", "Subject: x\n\nZm9vCg==\n", false},
      {"plain part after HTML",
       multipart + "--B\nContent-Type: text/html\n\nfoo\n--B\n\nfoo\n--B--\n", true},
      {"only HTML", multipart + "--B\nContent-Type: text/html\n\nfoo\n--B--\n", false},
      {"preamble and epilogue", multipart + "foo\n--B\n\nbar\n--B--\nfoo\n", false},
      {"enclosed message",
       multipart + "--B\nContent-Type: message/rfc822\n\nSubject: in\n\nfoo\n--B--\n", true},
      {"delimiter in mid line", multipart + "--B\n\nbar--B\n\nfoo\n--B--\n", true},
      {"part without header lines", multipart + "--B\n\nContent-Type: text/html\n\nfoo\n--B--\n",
       true},
      {"empty part", multipart + "--B\n--B\n\nfoo\n--B--\n", true},
      {"unterminated", multipart + "--B\n\nfoo", true},
      {"CR LF", "Content-Type: multipart/mixed; boundary=B\r\n\r\n--B\r\n\r\nfoo\r\n--B--\r\n",
       true},
      {"boundary too long",
       "Content-Type: multipart/mixed; boundary=" + std::string(254, 'b') + "\n\n--" +
           std::string(254, 'b') + "\n\nfoo\n",
       false},
  };
  for (const BodyCase &c : cases) {
    write_file("m", c.message);
    EXPECT_EQ(run({"qxsearch", "/:foo", "./m"}),
              (RunResult{c.found ? "./m\n" : "", "", c.found ? 0 : 1}))
        << c.what;
  }
}

TEST_F(Search, MessagePrintedOnceWhateverMatchesInside) {
  write_file("m",
             "Content-Type: multipart/mixed; boundary=B\n\n"
             "--B\nContent-Type: message/rfc822\n\nSubject: in\n\nfoo\n"
             "--B\n\nfoo\n--B\nContent-Type: text/plain; charset=utf-8\n\nfoo\n--B--\n");
  EXPECT_EQ(run({"qxsearch", "/:foo", "./m", "./m"}), (RunResult{"./m\n./m\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-c", "/:foo", "./m"}), (RunResult{"1\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-v", "/:bar", "./m"}), (RunResult{"./m\n", "", 0}));
}

TEST_F(Search, BodyLines) {
  write_file("m",
             "Content-Type: multipart/mixed; boundary=B\n\n"
             "--B\n\nfirst foo\r\nf\r\nnothing\r\nlast foo\n"
             "--B\nContent-Transfer-Encoding: base64\n\nZm9vIGJhcg==\n--B--\n");
  write_file("n", "Subject: x\n\nfoo\nf\nfoo end");
  run_cases(
      {
          {{"-h", "/:foo"}, "/: first foo\n/: last foo\n/: foo bar\n/: foo\n/: foo end\n"},
          {{"-h", "/:^f$"}, "", 1},  // one-byte lines are never matched
          {{"-p", "/:end"}, "./n: /: foo end\n"},
          {{"-h", "-c", "/:foo"}, "2\n"},
          // Whole bodies: all matches of the first counting part of each message.
          {{"-o", "-h", "/:fo+"}, "/: foo\n/: foo\n/: foo\n/: foo\n"},
      },
      {"./m", "./n"});
}

TEST_F(Search, MessageSources) {
  write_file(".quobix/seq", "box/cur/m1:2,FS\n  box/cur/m2:2,S\nbox/cur/m3:2,\n");
  std::string indented = "  box/cur/m2:2,S\n";
  EXPECT_EQ(run_on_terminal({"qxsearch", "subject:o"}),
            (RunResult{"box/cur/m1:2,FS\n" + indented, "", 0}));
  EXPECT_EQ(run_on_terminal({"qxsearch", "/:body"}), (RunResult{indented, "", 0}));
  EXPECT_EQ(run_on_terminal({"qxsearch", "-h", ":S"}), (RunResult{"flags: FS\nflags: S\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "subject:o", "-2"}), (RunResult{indented, "", 0}));
  EXPECT_EQ(run({"qxsearch", "subject:o"}, indented + "missing\nbox/cur/m3:2,\n"),
            (RunResult{indented, "", 0}));
  EXPECT_EQ(run({"qxsearch", "/:foo", "missing/file"}), (RunResult{"", "", 1}));
  EXPECT_EQ(run({"qxsearch", "-h", "subject:o", "-"}, "Subject: piped foo\n\n"),
            (RunResult{"subject: piped foo\n", "", 0}));
}

TEST_F(Search, UsageAndExpressionErrors) {
  struct ErrorCase {
    std::vector<std::string> argv;
    std::string err;
  } cases[] = {
      {{"qxsearch"}, kUsage},
      {{"qxsearch", "nocolon", "./box"}, kUsage},
      {{"qxsearch", "-m"}, std::string("qxsearch: option requires an argument -- 'm'\n") + kUsage},
      {{"qxsearch", "-z", "subject:x"}, std::string("qxsearch: invalid option -- 'z'\n") + kUsage},
      {{"qxsearch", "subject:(", "./box"}, "qxsearch: regex error: Unmatched ( or \\(\n"},
  };
  for (const ErrorCase &c : cases) {
    EXPECT_EQ(run(c.argv), (RunResult{"", c.err, 2})) << c.argv.back();
  }
}

// --charsets: text parts in other charsets are converted to UTF-8 first;
// without it, and for charsets iconv does not know, they are passed over.
TEST_F(Search, OtherCharsetsOnRequest) {
  write_file("latin1", "Content-Type: text/plain; charset=ISO-8859-1\n\nRechnung f\xFCr Mai\n");
  write_file("qp",
             "Content-Type: text/plain; charset=\"iso-8859-1\"\n"
             "Content-Transfer-Encoding: quoted-printable\n\nRechnung f=FCr Juni\n");
  write_file(
      "cp1252",
      "Content-Type: multipart/mixed; boundary=B\n\n--B\n"
      "Content-Type: text/plain; charset=windows-1252\n\n\x93Rechnung\x94 \x80 5\x81\n--B--\n");
  write_file("unknown", "Content-Type: text/plain; charset=x-unknown\n\nRechnung f\xFCr\n");
  write_file("utf8", "Content-Type: text/plain; charset=utf-8\n\nRechnung f\xC3\xBCr Juli\n");
  run_cases(
      {
          {{"/:Rechnung"}, lines({"./utf8"})},
          {{"--charsets", "/:Rechnung"}, lines({"./latin1", "./qp", "./cp1252", "./utf8"})},
          {{"--charsets", "/:f\xC3\xBCr"}, lines({"./latin1", "./qp", "./utf8"})},
          {{"-h", "--charsets", "/:Rechnung"},
           "/: Rechnung f\xC3\xBCr Mai\n/: Rechnung f\xC3\xBCr Juni\n"
           "/: \xE2\x80\x9CRechnung\xE2\x80\x9D \xE2\x82\xAC 5\xEF\xBF\xBD\n"
           "/: Rechnung f\xC3\xBCr Juli\n"},
          {{"--charsets", "-c", "/:\xE2\x82\xAC"}, "1\n"},
          {{"--charsets", "/:x"}, "", 1},
      },
      {"./latin1", "./qp", "./cp1252", "./unknown", "./utf8"});
}

}  // namespace
