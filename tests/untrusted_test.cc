// Mail and maildirs written by strangers, end to end: what reaches a
// terminal, lines that decoding could forge, files that are no messages,
// names that would break a listing, and paths too long for their buffer.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// Bytes a terminal acts on: a clipboard write (OSC 52), a screen clear, a
// backspace, DEL, a raw C1 CSI, a UTF-8 C1 CSI, a right-to-left override
// and a byte that is no UTF-8; then how each is shown on a terminal.
const std::string kHostile =
    "\x1b]52;c;ZXZpbA==\x07\x1b[2J\b\x7f\x9b"
    "\xc2\x9b\xe2\x80\xae\xff!";
const std::string kShown = "^[]52;c;ZXZpbA==^G^[[2J^H^?\\x9B\\u009B\\u202E\\xFF!";
// The same as a Q encoded word.
const std::string kEncoded = "=?UTF-8?Q?=1B]52=3Bc=3BZXZpbA=3D=3D=07=1B[2J=08=7F=C2=9B=E2=80=AE!?=";
const std::string kDecodedShown = "^[]52;c;ZXZpbA==^G^[[2J^H^?\\u009B\\u202E!";

class Untrusted : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    set_env("PATH", bin_dir() + ":/usr/bin:/bin");
    make_maildir("box");
  }

  // A directory path of exactly length bytes below start, in components of
  // at most 200 bytes, created in the sandbox.
  std::string long_directory(size_t length, std::string path) {
    while (length - path.size() > 201) path += "/" + std::string(200, 'd');
    path += "/" + std::string(length - path.size() - 1, 'd');
    std::filesystem::create_directories(this->path(path));
    return path;
  }
};

// --- the terminal

TEST_F(Untrusted, HeadersAndBodiesReachATerminalVisibly) {
  write_file("m", "Subject: " + kHostile + "\nX-Word: " + kEncoded + "\nX-\x1b[31m: red\n\nbody " +
                      kHostile + "\n");
  struct Case {
    std::vector<std::string> argv;
    std::string shown;
  } cases[] = {
      {{"qxsearch", "-h", "Subject:52", "./m"}, "Subject: " + kShown + "\n"},
      {{"qxsearch", "-p", "Subject:52", "./m"}, "./m: Subject: " + kShown + "\n"},
      {{"qxsearch", "-o", "Subject:2J.", "./m"}, "2J^H\n"},
      {{"qxsearch", "-d", "-h", "X-Word:52", "./m"}, "X-Word: " + kDecodedShown + "\n"},
      {{"qxsearch", "-h", "*:red", "./m"}, "x-^[[31m: red\n"},
      {{"qxsearch", "-p", "/:body", "./m"}, "./m: /: body " + kShown + "\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.argv[1] + " " + c.argv[2]);
    EXPECT_EQ(run_to_terminal(c.argv), (RunResult{c.shown, "", 0}));
  }
  // Into a pipe the bytes pass as they are.
  EXPECT_EQ(run({"qxsearch", "-h", "Subject:52", "./m"}),
            (RunResult{"Subject: " + kHostile + "\n", "", 0}));
}

TEST_F(Untrusted, MailboxesReachATerminalVisibly) {
  write_file("m", "From: " + kEncoded +
                      " <e@x>\nTo: Ev\xe2\x80\xae"
                      "e <\x1b[2J@x>\n\n");
  std::string name = "\"" + kDecodedShown + "\"";
  EXPECT_EQ(run_to_terminal({"qxwho", "./m"}),
            (RunResult{name + " <e@x>\nEv\\u202Ee <\"^[[2J\"@x>\n", "", 0}));
  EXPECT_EQ(run_to_terminal({"qxwho", "-a", "./m"}), (RunResult{"e@x\n\"^[[2J\"@x\n", "", 0}));
  EXPECT_EQ(run_to_terminal({"qxwho", "-d", "./m"}), (RunResult{name + "\nEv\\u202Ee\n", "", 0}));
  EXPECT_EQ(run({"qxwho", "-a", "./m"}), (RunResult{"e@x\n\"\x1b[2J\"@x\n", "", 0}));
}

TEST_F(Untrusted, FileNamesReachATerminalVisibly) {
  std::string file = "./box/cur/\x1b[2J\xe2\x80\xae:2,";
  std::string shown = "./box/cur/^[[2J\\u202E:2,";
  write_file(file, "Subject: s\n\n");
  EXPECT_EQ(run_to_terminal({"qxfilter", "./box"}), (RunResult{shown + "\n", "", 0}));
  EXPECT_EQ(run_to_terminal({"qxsearch", "Subject:s", "./box"}), (RunResult{shown + "\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "./box"}), (RunResult{file + "\n", "", 0}));
  EXPECT_EQ(run_to_terminal({"qxmark", "-S", "./box"}), (RunResult{shown + "S\n", "", 0}));

  // The names the storing tools print are made of the target's name.
  make_maildir("\x1b[2J");
  RunResult moved = run_to_terminal({"qxmove", "-v", "\x1b[2J"}, file + "S\n");
  EXPECT_TRUE(moved.out.starts_with("^[[2J/cur/")) << moved.out;
  RunResult stored = run_to_terminal({"qxstore", "-v", "\x1b[2J"}, "Subject: t\n\n");
  EXPECT_TRUE(stored.out.starts_with("^[[2J/new/")) << stored.out;

  make_maildir("tree/\x1b[2J");
  std::string real = std::filesystem::canonical(dir).string();
  EXPECT_EQ(run_to_terminal({"qxfolders", "tree"}), (RunResult{real + "/tree/^[[2J\n", "", 0}));
}

// --- lines forged by decoding

TEST_F(Untrusted, DecodedLineEndsBecomeSpaces) {
  write_file("m",
             "From: =?UTF-8?Q?Eve=0A\"Boss\"_<boss@x>?= <eve@x>\n"
             "To: =?UTF-8?Q?Mallory=0D=0Aboss@x?= <m@x>\n"
             "Subject: =?UTF-8?Q?hi=0A./m:_Subject:_forged?=\n\n");
  EXPECT_EQ(run({"qxwho", "./m"}),
            (RunResult{"\"Eve Boss  boss@x\" <eve@x>\n\"Mallory  boss@x\" <m@x>\n", "", 0}));
  EXPECT_EQ(run({"qxwho", "-d", "./m"}),
            (RunResult{"\"Eve Boss  boss@x\"\n\"Mallory  boss@x\"\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-d", "-p", "Subject:hi", "./m"}),
            (RunResult{"./m: Subject: hi ./m: Subject: forged\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "-d", "-o", "Subject:hi.*", "./m"}),
            (RunResult{"hi ./m: Subject: forged\n", "", 0}));
}

// --- files that are no messages

TEST_F(Untrusted, OnlyRegularFilesAreReadAsMessages) {
  write_file("box/cur/1:2,S", "From: a@x\nSubject: real\n\nbody\n");
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  make_symlink(path("fifo"), "box/cur/2:2,S");
  make_symlink("/dev/zero", "box/cur/3:2,S");
  // Each of these would hang on the FIFO or read /dev/zero without end.
  EXPECT_EQ(run({"qxwho", "./box"}), (RunResult{"a@x\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "Subject:.", "./box"}), (RunResult{"./box/cur/1:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "/:body", "./box"}), (RunResult{"./box/cur/1:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxfilter", "-t", "subject ~~ \"*\"", "./box"}),
            (RunResult{"./box/cur/1:2,S\n", "", 0}));
  EXPECT_EQ(run({"qxwho", "./fifo", "/dev/zero", "-"}, "From: stdin@x\n\n"),
            (RunResult{"stdin@x\n", "", 0}));
  EXPECT_EQ(run({"qxsearch", "/:piped", "-"}, "Subject: s\n\npiped\n"),
            (RunResult{"/dev/stdin\n", "", 0}));
}

// --- names that would read as two

TEST_F(Untrusted, NamesWithANewlineAreSkipped) {
  write_file("box/cur/1:2,", "Subject: s\n\n");
  write_file("box/cur/a\nvictim:2,", "Subject: s\n\n");
  write_file("victim:2,", "Subject: v\n\n");
  const std::string skipped = ": ./box/cur: skipped a name holding a newline: a^Jvictim:2,\n";
  EXPECT_EQ(run({"qxfilter", "./box"}), (RunResult{"./box/cur/1:2,\n", "qxfilter" + skipped, 0}));
  // Piped on, the second line of the name would be renamed outside the maildir.
  EXPECT_EQ(run({"/bin/sh", "-c", "qxfilter ./box | qxmark -T"}),
            (RunResult{"./box/cur/1:2,T\n", "qxfilter" + skipped, 0}));
  EXPECT_TRUE(exists("victim:2,"));
  EXPECT_EQ(run({"qxwho", "-h", "subject", "./box"}), (RunResult{"", "qxwho" + skipped, 0}));

  make_maildir("tree/x\ny");
  make_maildir("tree/z");
  std::string real = std::filesystem::canonical(dir).string();
  EXPECT_EQ(
      run({"qxfolders", "tree"}),
      (RunResult{real + "/tree/z\n",
                 "qxfolders: " + real + "/tree: skipped a name holding a newline: x^Jy\n", 0}));
}

// --- paths that do not fit

std::string too_long(const std::string &tool, const std::string &path) {
  return tool + ": " + path.substr(0, 64) + "...: File name too long\n";
}

TEST_F(Untrusted, CutPathsAreReportedNotUsed) {
  // "<dir>/seq" would be cut to "<dir>/s", which holds a Sequence.
  std::string config = long_directory(1021, dir);
  write_file(config + "/s", "box/cur/1:2,\n");
  write_file("box/cur/1:2,", "Subject: s\n\n");
  set_env("QUOBIX", config);
  EXPECT_EQ(run({"qxfilter", ":"}), (RunResult{"", too_long("qxfilter", config), 0}));
  set_env("QUOBIX", {});

  // A "~/" in the Profile expanded past the buffer.
  write_file(".quobix/profile", "Maildir: ~/" + std::string(1030, 'm') + "\n");
  EXPECT_EQ(run({"qxfolders"}),
            (RunResult{"", too_long("qxfolders", dir + "/" + std::string(1030, 'm')), 255}));

  // A maildir at a 991-byte path: the long name no longer fits.
  std::string box = long_directory(991, ".");
  make_maildir(box);
  std::string long_name = std::string(40, 'n') + ":2,";
  write_file(box + "/cur/1:2,", "Subject: s\n\n");
  write_file(box + "/cur/" + long_name, "Subject: s\n\n");
  EXPECT_EQ(run({"qxfilter", box}), (RunResult{box + "/cur/1:2,\n", too_long("qxfilter", box), 0}));
}

}  // namespace
