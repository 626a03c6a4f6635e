// qxstore and qxmove end to end: where messages land and under which
// names, that their bytes survive, the mbox rules, and that no failure
// leaves anything in new/ or cur/.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using namespace std::string_literals;

const std::string kMessage = "From: a@example.org\nSubject: hi\n\nbody\n";
const std::string kStoreUsage =
    "Usage: qxstore [-c] [-v] [-X flags] dir < message\n"
    "       qxstore -M [-c] [-v] [-X flags] dir < mbox\n";
const std::string kMoveUsage = "Usage: qxmove [-kv] [msgs...] maildir\n";

std::string host_part() {
  char host[64] = {};
  gethostname(host, sizeof host - 1);
  for (char &c : host)
    if (c == '/' || c == ':') c = '-';
  return host;
}

// The delivery counter of a unique name: the number after "Q".
long counter_of(const std::string &name) {
  long seconds = 0, micros = 0, pid = 0, counter = 0;
  int used = 0;
  if (sscanf(name.c_str(), "%ld.M%6ldP%ldQ%ld.%n", &seconds, &micros, &pid, &counter, &used) != 4)
    return -1;
  return name.substr(static_cast<size_t>(used), 1) == "." ? -1 : counter;
}

struct stat status_of(const std::string &path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status;
}

class Store : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    make_maildir("box");
  }

  // The messages in a directory, in delivery order.
  std::vector<std::string> stored(const std::string &directory) const {
    std::vector<std::string> names = list_dir(directory);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
      return counter_of(a) < counter_of(b);
    });
    return names;
  }

  // Checks that directory holds exactly one message named by the rules,
  // with the given counter and flag part, and returns its content.
  std::string only_message(const std::string &directory, const std::string &flags = "",
                           long counter = 1) {
    std::vector<std::string> names = list_dir(directory);
    if (names.size() != 1) {
      ADD_FAILURE() << directory << " holds " << names.size() << " files";
      return "";
    }
    EXPECT_EQ(counter_of(names[0]), counter) << names[0];
    EXPECT_TRUE(names[0].ends_with("." + host_part() + ":2," + flags)) << names[0];
    return read_file(directory + "/" + names[0]);
  }

  bool empty(const std::string &directory) const { return list_dir(directory).empty(); }

  // Whether python3 can be run; the checks that use Python's mailbox
  // module skip without it.
  static bool have_python() { return access("/usr/bin/python3", X_OK) == 0; }
  RunResult python(const std::string &script) { return run({"/usr/bin/python3", "-c", script}); }

  RunResult shell(const std::string &command, const std::string &input = "") {
    return run({"/bin/sh", "-c", command}, input);
  }
  std::string program(const std::string &name) const { return bin_dir() + "/" + name; }
};

// --- qxstore: one message from standard input

TEST_F(Store, OptionsChooseDirectoryAndFlagPart) {
  struct Case {
    std::vector<std::string> options;
    std::string directory, other, flags;
  };
  const Case cases[] = {
      {{}, "new", "cur", ""},
      {{"-c"}, "cur", "new", ""},
      {{"-X", "FS"}, "new", "cur", "FS"},
      {{"-c", "-X", "SF"}, "cur", "new", "SF"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.directory + " " + c.flags);
    std::filesystem::remove_all(path("box"));
    make_maildir("box");
    std::vector<std::string> argv = {"qxstore"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.push_back("box");
    EXPECT_EQ(run(argv, kMessage), (RunResult{"", "", 0}));
    EXPECT_EQ(only_message("box/" + c.directory, c.flags), kMessage);
    EXPECT_TRUE(empty("box/" + c.other));
    EXPECT_TRUE(empty("box/tmp"));
  }
}

TEST_F(Store, VerbosePrintsTheFinalPath) {
  RunResult result = run({"qxstore", "-v", "box"}, kMessage);
  std::vector<std::string> names = list_dir("box/new");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(result, (RunResult{"box/new/" + names[0] + "\n", "", 0}));
}

TEST_F(Store, UsageErrors) {
  for (const std::vector<std::string> &argv : std::vector<std::vector<std::string>>{
           {"qxstore"}, {"qxstore", "box", "box2"}, {"qxstore", "-c"}})
    EXPECT_EQ(run(argv, kMessage), (RunResult{"", kStoreUsage, 1}));
  EXPECT_EQ(run({"qxstore", "-k", "box"}, kMessage),
            (RunResult{"", "qxstore: invalid option -- 'k'\n" + kStoreUsage, 1}));
  EXPECT_EQ(run({"qxstore", "-X"}, kMessage),
            (RunResult{"", "qxstore: option requires an argument -- 'X'\n" + kStoreUsage, 1}));
  EXPECT_TRUE(empty("box/new"));
}

TEST_F(Store, ModeComesFromTheProgramNameOnly) {
  make_symlink(program("qxstore"), "dir-with-v/qxstore");
  EXPECT_EQ(run({path("dir-with-v/qxstore"), "box"}, kMessage), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box/new"), kMessage);
  make_symlink(program("qxstore"), "bin/qxmove");
  EXPECT_EQ(run({path("bin/qxmove"), "box"}, "", Input::Terminal), (RunResult{"", kMoveUsage, 1}));
}

TEST_F(Store, FileModeIsThePermissionBitsOfARegularInput) {
  EXPECT_EQ(run({"qxstore", "box"}, kMessage).status, 0);
  std::string piped = "box/new/" + list_dir("box/new").at(0);
  EXPECT_EQ(status_of(path(piped)).st_mode & 07777, 0600u);
  std::filesystem::remove(path(piped));

  struct Case {
    mode_t input, stored;
  };
  for (const Case c : {Case{0644, 0644}, Case{06777, 0777}, Case{01640, 0640}}) {
    write_file("input", kMessage);
    chmod(path("input").c_str(), c.input);
    EXPECT_EQ(shell("umask 0; exec " + program("qxstore") + " box <input"), (RunResult{"", "", 0}));
    std::string stored = "box/new/" + list_dir("box/new").at(0);
    EXPECT_EQ(status_of(path(stored)).st_mode & 07777, c.stored) << std::oct << c.input;
    EXPECT_EQ(read_file(stored), kMessage);
    std::filesystem::remove(path(stored));
  }
}

TEST_F(Store, StoredBytesAreTheBytesRead) {
  if (!have_python()) GTEST_SKIP() << "python3 not found";
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  const std::string messages[] = {
      "",
      "Subject: no newline at the end",
      "Subject: NUL\n\nbefore\0after\n\0\0\n"s,
      "Subject: CR LF\r\n\r\nFrom here\r\n>From there\r\nStatus: RO\r\n",
      "Subject: long line\n\n" + std::string(300000, 'x') + "\n" + std::string(200000, '>'),
      all_bytes + all_bytes,
  };
  for (size_t i = 0; i < std::size(messages); ++i) {
    write_file("sent/" + std::to_string(i), messages[i]);
    std::vector<std::string> argv = {"qxstore", "box"};
    if (i % 2) argv.insert(argv.begin() + 1, "-c");
    EXPECT_EQ(run(argv, messages[i]), (RunResult{"", "", 0})) << i;
  }
  EXPECT_EQ(python(R"(
import mailbox, os
box = mailbox.Maildir('box', factory=None, create=False)
got = sorted(box.get_bytes(key) for key in box.keys())
sent = sorted(open(os.path.join('sent', n), 'rb').read() for n in os.listdir('sent'))
print(len(got), 'same' if got == sent else 'differ')
)"),
            (RunResult{"6 same\n", "", 0}));
}

// --- qxstore failures: a message on standard error, status 2, and at most
// a file in tmp/

TEST_F(Store, TargetWithoutTmp) {
  EXPECT_EQ(run({"qxstore", "nobox"}, kMessage),
            (RunResult{"",
                       "qxstore: nobox/tmp: No such file or directory\n"
                       "qxstore: No such file or directory\n",
                       2}));
  EXPECT_FALSE(exists("nobox"));
}

TEST_F(Store, FailedRenameLeavesNothingBehind) {
  std::filesystem::remove(path("box/new"));
  EXPECT_EQ(run({"qxstore", "box"}, kMessage),
            (RunResult{"", "qxstore: No such file or directory\n", 2}));
  EXPECT_TRUE(empty("box/tmp"));
  EXPECT_TRUE(empty("box/cur"));
}

TEST_F(Store, PathTooLongFailsInsteadOfBeingCut) {
  std::string target = "box";
  while (target.size() < 1024) target += "/.";
  EXPECT_EQ(run({"qxstore", target}, kMessage),
            (RunResult{"", "qxstore: File name too long\n", 2}));
  EXPECT_TRUE(empty("box/tmp"));
  EXPECT_TRUE(empty("box/new"));
}

TEST_F(Store, ReadOnlyTarget) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  chmod(path("box/tmp").c_str(), 0555);
  RunResult result = run({"qxstore", "box"}, kMessage);
  EXPECT_EQ(result.status, 2);
  EXPECT_TRUE(result.err.starts_with("qxstore: box/tmp/")) << result.err;
  EXPECT_TRUE(result.err.ends_with(": Permission denied\nqxstore: Permission denied\n"));
  EXPECT_TRUE(empty("box/new"));
}

TEST_F(Store, FullDiskIsReportedAndNothingIsLeftBehind) {
  // A file-size limit of one 512-byte block stands in for a full disk.
  std::string big = "Subject: big\n\n" + std::string(8192, 'b') + "\n";
  EXPECT_EQ(shell("ulimit -f 1; exec " + program("qxstore") + " box", big),
            (RunResult{"", "qxstore: File too large\n", 2}));
  EXPECT_TRUE(empty("box/new"));
  EXPECT_TRUE(empty("box/tmp"));

  EXPECT_EQ(shell("ulimit -f 1; exec " + program("qxstore") + " -M box",
                  "From a\n" + kMessage + "From b\n" + big + "From c\n" + kMessage),
            (RunResult{"", "qxstore: File too large\n", 2}));
  EXPECT_EQ(only_message("box/new"), kMessage);  // stored before the failure, and kept
  EXPECT_TRUE(empty("box/tmp"));
}

// A real full file system, where a partial file left in tmp/ would also
// take the space the next message needs. Needs a private mount (root).
TEST_F(Store, FullFileSystemKeepsRoomForTheNextMessage) {
  write_file("big", "Subject: big\n\n" + std::string(2 << 20, 'b') + "\n");
  write_file("small", "Subject: small\n\nhi\n");
  // The mount lives in a mount namespace of its own and goes with it.
  const std::string script =
      "mount -t tmpfs -o size=512k tmpfs small-box 2>/dev/null || exit 77\n"
      "mkdir small-box/tmp small-box/new small-box/cur\n"
      "qxstore() { " +
      program("qxstore") +
      " \"$@\"; echo \"status $?\"; }\n"
      "qxstore small-box <big\nls small-box/tmp\nqxstore small-box <small\n"
      "cat small-box/new/*\n";
  std::filesystem::create_directories(path("small-box"));
  RunResult result =
      shell("unshare -m true 2>/dev/null || exit 77\nunshare -m /bin/sh -c '" + script + "' 2>&1");
  if (result.status == 77) GTEST_SKIP() << "no private tmpfs mount";
  EXPECT_EQ(result, (RunResult{"qxstore: No space left on device\nstatus 2\nstatus 0\n"
                               "Subject: small\n\nhi\n",
                               "", 0}));
}

// The n-th quoted text of a traced system call, counted from 0.
std::string quoted(const std::string &line, int n) {
  std::string::size_type quote = line.find('"');
  for (; n > 0 && quote != std::string::npos; --n)
    quote = line.find('"', line.find('"', quote + 1) + 1);
  if (quote == std::string::npos) return "";
  return line.substr(quote + 1, line.find('"', quote + 1) - quote - 1);
}

// From a trace of openat, renameat2 and fsync on standard error: each
// successful rename as "rename" and the directory of the new name, and each
// fsync of a directory as "sync" and its path.
std::vector<std::string> traced_events(const std::string &trace) {
  std::vector<std::string> events;
  std::map<std::string, std::string> directories;  // descriptor -> path, "" for a file
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    std::string::size_type equals = line.rfind(" = ");
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 3);
    std::string fd = line.substr(6, line.find(')') - 6);  // of fsync(N)
    if (line.starts_with("openat("))
      directories[value] = line.find("O_DIRECTORY") != std::string::npos ? quoted(line, 0) : "";
    else if (line.starts_with("fsync(") && !directories[fd].empty())
      events.push_back("sync " + directories[fd]);
    else if (line.starts_with("renameat2(") && value == "0") {
      std::string to = quoted(line, 1);
      events.push_back("rename " + to.substr(0, to.rfind('/')));
    }
  }
  return events;
}

// The directory that received a name is forced to disk after the rename
// and before the tool exits: once per directory for a whole mbox, even
// when a later message fails.
TEST_F(Store, ReceivingDirectoryIsSyncedAfterTheRename) {
  if (access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace not found";
  struct Case {
    std::string command;
    std::vector<std::string> events;
  };
  const std::string mbox = "From a\n" + kMessage + "From b\nStatus: O\n\nold\nFrom c\n" + kMessage;
  const std::string big = "From d\nSubject: big\n\n" + std::string(8192, 'b') + "\n";
  const Case cases[] = {
      {"qxstore box", {"rename box/new", "sync box/new"}},
      {"qxstore -M box",
       {"rename box/new", "rename box/cur", "rename box/new", "sync box/new", "sync box/cur"}},
      {"ulimit -f 1; exec $trace qxstore -M box", {"rename box/new", "sync box/new"}},
      {"qxmove box/cur/a:2,S box2", {"rename box2/cur", "sync box2/cur"}},
  };
  make_maildir("box2");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    write_file("box/cur/a:2,S", "Subject: a\n\n");
    std::string input = c.command.starts_with("ulimit")             ? "From a\n" + kMessage + big
                        : c.command.find("-M") != std::string::npos ? mbox
                                                                    : kMessage;
    std::string command = c.command.starts_with("ulimit") ? c.command : "exec $trace " + c.command;
    RunResult result =
        shell("PATH=" + bin_dir() +
                  ":$PATH; trace='/usr/bin/strace -e trace=renameat2,openat,fsync'\n" + command,
              input);
    std::vector<std::string> events = traced_events(result.err);
    if (events.empty() && result.status != 0) GTEST_SKIP() << "strace cannot trace: " << result.err;
    EXPECT_EQ(events, c.events) << result.err;
  }
}

// --- qxstore -M

TEST_F(Store, MboxMessagesWithFlagsAndDates) {
  std::string mbox =
      "From alice Mon Jan  1 00:00:00 2020\n"
      "Subject: one\nStatus: RO\nX-Status: A\nDate: Mon, 1 Jan 2020 12:34:56 +0200\n\n"
      ">From the start\n>>From quoted\nStatus: body\n\n"
      "From bob Tue Jan  2 00:00:00 2020\n"
      "Subject: two\n\nlast\n";
  EXPECT_EQ(run({"qxstore", "-M", "box"}, mbox), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box/cur", "RS", 1),
            "Subject: one\nDate: Mon, 1 Jan 2020 12:34:56 +0200\n\n"
            "From the start\n>From quoted\nStatus: body\n");
  EXPECT_EQ(status_of(path("box/cur/" + list_dir("box/cur").at(0))).st_mtime, 1577874896);
  EXPECT_EQ(only_message("box/new", "", 2), "Subject: two\n\nlast\n");

  std::filesystem::remove_all(path("box"));
  make_maildir("box");
  EXPECT_EQ(run({"qxstore", "-M", "-X", "D", "box"}, mbox), (RunResult{"", "", 0}));
  EXPECT_EQ(list_dir("box/cur").size(), 1u);  // old still means cur/
  EXPECT_TRUE(list_dir("box/cur").at(0).ends_with(":2,D"));
  EXPECT_TRUE(list_dir("box/new").at(0).ends_with(":2,D"));
}

TEST_F(Store, CrLfMboxEndsItsHeaderAtAnEmptyLine) {
  EXPECT_EQ(run({"qxstore", "-M", "box"},
                "From alice\r\nSubject: crlf\r\nStatus: RO\r\n\r\n"
                "Status: DONE\r\nX-Status: all good\r\n"),
            (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box/cur", "S"),
            "Subject: crlf\r\n\r\nStatus: DONE\r\nX-Status: all good\r\n");
}

TEST_F(Store, InputThatIsNoMbox) {
  EXPECT_EQ(run({"qxstore", "-M", "box"}, kMessage),
            (RunResult{"", "qxstore: Invalid argument\n", 2}));
  EXPECT_TRUE(empty("box/new"));
  EXPECT_TRUE(empty("box/tmp"));
}

TEST_F(Store, MboxWrittenByPythonRoundTrips) {
  if (!have_python()) GTEST_SKIP() << "python3 not found";
  RunResult written = python(R"(
import mailbox, os
os.mkdir('sent')
sent = [
    b'Subject: plain\n\nFrom the start of a line\nFrom\nlast line\n',
    b'Subject: no final newline\n\ntext',
    b'Subject: blank lines\n\n\n\nbody\n\n',
    b'Subject: NUL \x00\n\n\x00\xff\xfe\n',
]
box = mailbox.mbox('in.mbox')
for i, message in enumerate(sent):
    box.add(message)
    open(os.path.join('sent', str(i)), 'wb').write(message if message.endswith(b'\n') else message + b'\n')
flagged = mailbox.mboxMessage(b'Subject: flagged\n\nbody\n')
flagged.set_flags('RAFO')
box.add(flagged)
box.flush()
)");
  ASSERT_EQ(written, (RunResult{"", "", 0}));
  EXPECT_EQ(shell(program("qxstore") + " -M box <in.mbox"), (RunResult{"", "", 0}));
  std::vector<std::string> fresh = stored("box/new");
  ASSERT_EQ(fresh.size(), 4u);
  for (size_t i = 0; i < fresh.size(); ++i)
    EXPECT_EQ(read_file("box/new/" + fresh[i]), read_file("sent/" + std::to_string(i))) << i;
  EXPECT_EQ(only_message("box/cur", "FRS", 5), "Subject: flagged\n\nbody\n");
}

// --- qxmove

class Move : public Store {
 protected:
  void SetUp() override {
    Store::SetUp();
    make_maildir("box2");
    write_file("box/cur/a:2,S", "Subject: a\n\n");
    write_file("box/new/b", "Subject: b\n\n");
  }
  ino_t inode(const std::string &relative) { return status_of(path(relative)).st_ino; }
};

TEST_F(Move, UsageErrors) {
  EXPECT_EQ(run({"qxmove"}), (RunResult{"", kMoveUsage, 1}));
  EXPECT_EQ(run_on_terminal({"qxmove", "box2"}), (RunResult{"", kMoveUsage, 1}));
  EXPECT_EQ(run({"qxmove", "-c", "box/cur/a:2,S", "box2"}),
            (RunResult{"", "qxmove: invalid option -- 'c'\n" + kMoveUsage, 1}));
  EXPECT_TRUE(exists("box/cur/a:2,S"));
}

TEST_F(Move, RangeIsMovedByRenameKeepingFlags) {
  write_file(".quobix/seq", "box/cur/a:2,S\n  box/new/b\n");
  ino_t a = inode("box/cur/a:2,S"), b = inode("box/new/b");
  RunResult result = run({"qxmove", "-v", ":", "box2"});
  std::vector<std::string> moved = stored("box2/cur");
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_EQ(result, (RunResult{"box2/cur/" + moved[0] + "\nbox2/cur/" + moved[1] + "\n", "", 0}));
  EXPECT_TRUE(moved[0].ends_with(":2,S"));
  EXPECT_TRUE(moved[1].ends_with("." + host_part() + ":2,"));
  EXPECT_EQ(inode("box2/cur/" + moved[0]), a);
  EXPECT_EQ(inode("box2/cur/" + moved[1]), b);
  EXPECT_FALSE(exists("box/cur/a:2,S"));
  EXPECT_FALSE(exists("box/new/b"));
  EXPECT_TRUE(empty("box2/tmp"));
}

TEST_F(Move, KeepCopiesWithTheSourceTimes) {
  const timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
  utimensat(AT_FDCWD, path("box/cur/a:2,S").c_str(), times, 0);
  chmod(path("box/cur/a:2,S").c_str(), 04640);
  EXPECT_EQ(run({"qxmove", "-k", "box2"}, "\t box/cur/a:2,S\n"), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box2/cur", "S"), "Subject: a\n\n");
  struct stat copy = status_of(path("box2/cur/" + list_dir("box2/cur").at(0)));
  EXPECT_EQ(copy.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(copy.st_mode & 07777, 0640u);
  EXPECT_NE(copy.st_ino, inode("box/cur/a:2,S"));
}

TEST_F(Move, BadSourcesAreReportedAndSkipped) {
  std::filesystem::create_directories(path("box/cur/dir:2,"));
  ASSERT_EQ(mkfifo(path("box/cur/fifo:2,").c_str(), 0600), 0);
  EXPECT_EQ(run({"qxmove", "box2"}, "missing\nbox/cur/dir:2,\nbox/cur/fifo:2,\nbox/cur/a:2,S\n"),
            (RunResult{"",
                       "qxmove: missing: No such file or directory\n"
                       "qxmove: No such file or directory\n"
                       "qxmove: box/cur/dir:2,: Is a directory\n"
                       "qxmove: Is a directory\n"
                       "qxmove: box/cur/fifo:2,: Invalid argument\n"
                       "qxmove: Invalid argument\n",
                       0}));
  EXPECT_TRUE(exists("box/cur/dir:2,"));
  EXPECT_TRUE(exists("box/cur/fifo:2,"));
  EXPECT_EQ(only_message("box2/cur", "S"), "Subject: a\n\n");

  EXPECT_EQ(run({"qxmove", "box/new/b", "nobox"}),
            (RunResult{"",
                       "qxmove: nobox/tmp: No such file or directory\n"
                       "qxmove: No such file or directory\n",
                       0}));
  EXPECT_TRUE(exists("box/new/b"));
}

TEST_F(Move, LinkIsCopiedNotRenamed) {
  make_symlink("a:2,S", "box/cur/link:2,F");
  EXPECT_EQ(run({"qxmove", "box/cur/link:2,F", "box2"}), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box2/cur", "F"), "Subject: a\n\n");
  EXPECT_EQ(read_symlink("box/cur/link:2,F"), "a:2,S");
}

TEST_F(Move, DashCopiesStandardInput) {
  EXPECT_EQ(run({"qxmove", "-", "box2"}, kMessage), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message("box2/cur"), kMessage);
  struct stat status;
  EXPECT_EQ(lstat("/dev/stdin", &status), 0);
  // Among names read from standard input, /dev/stdin is only a path (the
  // pipe of names), and no regular file.
  EXPECT_EQ(run({"qxmove", "box2"}, "/dev/stdin\n"),
            (RunResult{"", "qxmove: /dev/stdin: Invalid argument\nqxmove: Invalid argument\n", 0}));
}

TEST_F(Move, AcrossFileSystemsTheSourceIsCopiedAndStays) {
  std::string other = "/dev/shm/quobix-store-XXXXXX";
  if (access("/dev/shm", W_OK) != 0 || !mkdtemp(other.data())) GTEST_SKIP() << "no /dev/shm";
  if (status_of(other).st_dev == status_of(dir).st_dev) {
    std::filesystem::remove_all(other);
    GTEST_SKIP() << "/dev/shm is on the sandbox's file system";
  }
  make_maildir(other);
  EXPECT_EQ(run({"qxmove", "box/cur/a:2,S", other}), (RunResult{"", "", 0}));
  EXPECT_EQ(only_message(other + "/cur", "S"), "Subject: a\n\n");
  EXPECT_TRUE(exists("box/cur/a:2,S"));
  std::filesystem::remove_all(other);
}

}  // namespace
