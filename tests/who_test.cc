// qxwho end to end: the output table, quoting, decoding, header lists,
// message arguments, usage and exit statuses.
#include <sys/stat.h>

#include "harness.h"

namespace {

class Who : public Sandbox {
 protected:
  // Writes a message with the given header section and a body that would
  // confuse anyone who read it.
  void message(const std::string &name, const std::string &headers) {
    write_file(name, headers + "\nFrom: body@never.example\n");
  }
  // qxwho with options over one message of the given header section.
  RunResult who(const std::string &headers, std::vector<std::string> options = {}) {
    message("m", headers);
    options.insert(options.begin(), "qxwho");
    options.push_back("./m");
    return run(options);
  }
};

struct WhoRow {
  std::string headers;
  std::string both, addresses, names;  // output with no option, -a, -d
};

const WhoRow kTable[] = {
    {"From: John Doe <j@x>\n", "John Doe <j@x>\n", "j@x\n", "John Doe\n"},
    {"From: \"Doe, John\" <j@x>\n", "\"Doe, John\" <j@x>\n", "j@x\n", "\"Doe, John\"\n"},
    {"From: John Q. Public <j@x>\n", "\"John Q. Public\" <j@x>\n", "j@x\n", "\"John Q. Public\"\n"},
    {"From: \"say \\\"hi\\\" \\\\ there\" <j@x>\n", "\"say \\\"hi\\\" \\\\ there\" <j@x>\n",
     "j@x\n", "\"say \\\"hi\\\" \\\\ there\"\n"},
    {"From: =?UTF-8?Q?Jos=C3=A9?= <j@x>\n", "Jos\xc3\xa9 <j@x>\n", "j@x\n", "Jos\xc3\xa9\n"},
    {"From: =?UTF-8?Q?Doe=2C_John?= <j@x>\n", "\"Doe, John\" <j@x>\n", "j@x\n", "\"Doe, John\"\n"},
    {"From: \"j@x\" <j@x>\n", "j@x\n", "j@x\n", ""},
    {"From: j@x\n", "j@x\n", "j@x\n", ""},
    {"From: John Doe\n", "", "", "John Doe\n"},
    {"To: Friends: a@b, c@d;\n", "a@b\nc@d\n", "a@b\nc@d\n", ""},
    {"To: undisclosed-recipients:;\n", "", "", ""},
    {"To: a@b\nTo: c@d\n", "a@b\n", "a@b\n", ""},
    {"From: j@x (John Doe)\n", "John Doe <j@x>\n", "j@x\n", "John Doe\n"},
    {"From: a\\ b@x\n", "\"a b\"@x\n", "\"a b\"@x\n", ""},
    {"Subject: no addresses\n", "", "", ""},
    {"From: A <a@x>\nTo: B <b@x>, c@x\nCc: D <d@x>\nReply-To: r@x\n",
     "A <a@x>\nr@x\nB <b@x>\nc@x\nD <d@x>\n", "a@x\nr@x\nb@x\nc@x\nd@x\n", "A\nB\nD\n"},
    {"FROM: Folded\n  Name <f@x>\n", "Folded Name <f@x>\n", "f@x\n", "Folded Name\n"},
    {"From: Crlf Name <c@x>\r\n\r\n", "Crlf Name <c@x>\n", "c@x\n", "Crlf Name\n"},
};

TEST_F(Who, OutputTable) {
  for (const WhoRow &row : kTable) {
    EXPECT_EQ(who(row.headers), (RunResult{row.both, "", 0})) << row.headers;
    EXPECT_EQ(who(row.headers, {"-a"}), (RunResult{row.addresses, "", 0})) << row.headers;
    EXPECT_EQ(who(row.headers, {"-d"}), (RunResult{row.names, "", 0})) << row.headers;
    EXPECT_EQ(who(row.headers, {"-d", "-a"}), (RunResult{row.addresses, "", 0})) << row.headers;
  }
}

TEST_F(Who, HeaderLists) {
  const std::string headers = "From: f@x\nTo: t@x\nCc: c@x\nX-Other: o@x\n";
  EXPECT_EQ(who(headers, {"-h", "cc:to"}), (RunResult{"c@x\nt@x\n", "", 0}));
  EXPECT_EQ(who(headers, {"-h", "Cc:TO:"}), (RunResult{"c@x\nt@x\n", "", 0}));
  EXPECT_EQ(who(headers, {"-h", "x-other"}), (RunResult{"o@x\n", "", 0}));
  EXPECT_EQ(who(headers, {"-h", ""}), (RunResult{"", "", 0}));
  EXPECT_EQ(who(headers, {"-h", "to:to"}), (RunResult{"t@x\nt@x\n", "", 0}));
  EXPECT_EQ(who(headers, {"-h", "from:", "-h", "cc:"}), (RunResult{"c@x\n", "", 0}));
  EXPECT_EQ(who(headers, {"-hto"}), (RunResult{"t@x\n", "", 0}));
}

TEST_F(Who, UndecodableNamesComeBackAsWritten) {
  // "=" and "?" need no quoting.
  EXPECT_EQ(who("From: =?nonexistent-charset?Q?x?= <j@x>\n"),
            (RunResult{"=?nonexistent-charset?Q?x?= <j@x>\n", "error decoding rfc2047\n", 0}));
  EXPECT_EQ(who("From: =?UTF-8?Q?a=00b?= <j@x>\n"),
            (RunResult{"=?UTF-8?Q?a=00b?= <j@x>\n", "", 0}));
}

TEST_F(Who, LongDisplayNamesAreCut) {
  std::string name(3000, 'n');
  EXPECT_EQ(who("From: " + name + " <j@x>\n"),
            (RunResult{name.substr(0, 1023) + " <j@x>\n", "", 0}));
}

TEST_F(Who, MessageArguments) {
  make_maildir("box");
  message("box/cur/1:2,S", "From: one@x\n");
  message("box/cur/2:2,", "From: two@x\n");
  message("box/cur/10:2,", "From: ten@x\n");
  write_file(".quobix/seq", "box/cur/1:2,S\n  box/cur/2:2,\nbox/cur/missing\n");
  // A maildir, in name order; a missing file is skipped silently.
  EXPECT_EQ(run({"qxwho", "./box", "./nothing"}), (RunResult{"one@x\ntwo@x\nten@x\n", "", 0}));
  // Names on standard input, indentation allowed.
  EXPECT_EQ(run({"qxwho"}, "  box/cur/2:2,\nbox/cur/10:2,\n\n"),
            (RunResult{"two@x\nten@x\n", "", 0}));
  // On a terminal without arguments: the whole Sequence.
  EXPECT_EQ(run_on_terminal({"qxwho"}), (RunResult{"one@x\ntwo@x\n", "", 0}));
  // Ranges against the Sequence.
  EXPECT_EQ(run({"qxwho", "2"}), (RunResult{"two@x\n", "", 0}));
  // "-" is a message on standard input.
  EXPECT_EQ(run({"qxwho", "-"}, "From: In <in@x>\n\nbody\n"), (RunResult{"In <in@x>\n", "", 0}));
}

TEST_F(Who, DirectoriesAndUnreadableFilesPrintNothing) {
  make_maildir("box");
  EXPECT_EQ(run({"qxwho", "./box/cur"}), (RunResult{"", "", 0}));
  message("box/cur/1", "From: one@x\n");
  // A directory given by name is no message; the next name still is.
  EXPECT_EQ(run({"qxwho"}, "box\nbox/cur/1\n"), (RunResult{"one@x\n", "", 0}));
  write_file("empty", "");
  EXPECT_EQ(run({"qxwho", "./empty"}), (RunResult{"", "", 0}));
}

TEST_F(Who, UnreadableFilesPrintNothing) {
  if (std::string why = run_as(54321); !why.empty()) GTEST_SKIP() << why;
  message("secret", "From: s@x\n");
  message("open", "From: o@x\n");
  chmod(path("secret").c_str(), 0);
  chmod(path("open").c_str(), 0644);  // whatever the umask
  EXPECT_EQ(run({"qxwho", "./secret", "./open"}), (RunResult{"o@x\n", "", 0}));
}

TEST_F(Who, ReadsOnlyTheHeaderSection) {
  // The body is never looked at: a From line in it is not printed, and
  // however large it is, only the header section is read.
  std::string body(1 << 20, 'b');
  write_file("m", "From: h@x\n\n" + body);
  EXPECT_EQ(run({"qxwho", "./m"}), (RunResult{"h@x\n", "", 0}));
}

TEST_F(Who, UsageErrors) {
  const std::string usage = "Usage: qxwho [-ad] [-h headers] [msgs...]\n";
  EXPECT_EQ(run({"qxwho", "-x"}), (RunResult{"", "qxwho: invalid option -- 'x'\n" + usage, 1}));
  EXPECT_EQ(run({"qxwho", "-h"}),
            (RunResult{"", "qxwho: option requires an argument -- 'h'\n" + usage, 1}));
}

TEST_F(Who, BadRangeNumbers) {
  write_file(".quobix/seq", "a\n");
  RunResult result = run({"qxwho", "99999999999999999999"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
}

}  // namespace
