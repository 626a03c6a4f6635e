// Reading ahead changes nothing that can be seen: the readers give the
// same output, messages and status with QUOBIX_PREFETCH=0 as with loader
// threads, over many messages with missing, unreadable and special files
// among them; and names written one by one get their answers one by one.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "harness.h"

namespace {

constexpr int kMessages = 3000;

class Prefetch : public Sandbox {
 protected:
  // A maildir of kMessages messages and a list of names in which every
  // 97th is missing, every 89th a directory, every 83rd /dev/null and
  // every 79th unreadable (when the runs are not as root).
  void SetUp() override {
    Sandbox::SetUp();
    make_maildir("box");
    for (int i = 1; i <= kMessages; ++i) {
      std::string name = "box/cur/" + std::to_string(i) + ":2," + (i % 3 ? "" : "S");
      // Every 61st Subject holds an encoded word that cannot be decoded:
      // its report on standard error must stay in its place.
      std::string subject =
          i % 61 ? "status " + std::to_string(i) : "=?x-none?Q?bad?= " + std::to_string(i);
      std::string body = i % 2 ? "plain text " + std::to_string(i) + "\n" : "";
      std::string headers = "From: Sender " + std::to_string(i % 50) + " <s" +
                            std::to_string(i % 50) + "@example.org>\nTo: me@example.org\n" +
                            "Subject: " + subject + "\n";
      if (i % 2 == 0) {
        headers += "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n";
        body = i % 4 ? "d29yZCBmb3VuZAo=\n" : "bm90aGluZwo=\n";  // "word found", "nothing"
      }
      write_file(name, headers + "\n" + body);
      if (i % 79 == 0) chmod(path(name).c_str(), 0);
      if (i % 97 == 0) names += "box/cur/gone" + std::to_string(i) + "\n";
      if (i % 89 == 0) names += "box\n";
      if (i % 83 == 0) names += "/dev/null\n";
      names += (i % 7 ? "" : " ") + name + "\n";  // some indented, as in a Sequence
    }
    // As another user, unreadable files stay unreadable (run_as opens the
    // sandbox with 0755, so the redirection's directory is opened after it).
    if (geteuid() == 0) run_as(54321);
    chmod(dir.c_str(), 0777);  // the output file of a redirection
  }

  // The run with read-ahead off must give something, and the runs with
  // one and with several loader threads exactly the same.
  RunResult expect_same(const std::vector<std::string> &argv, const std::string &input) {
    set_env("QUOBIX_PREFETCH", "0");
    RunResult in_order = run(argv, input);
    EXPECT_FALSE(in_order.out.empty()) << argv[1];
    for (const char *threads : {"1", "3", "8"}) {
      set_env("QUOBIX_PREFETCH", threads);
      EXPECT_EQ(run(argv, input), in_order) << argv[1] << " with " << threads << " threads";
    }
    set_env("QUOBIX_PREFETCH", std::nullopt);
    EXPECT_EQ(run(argv, input), in_order) << argv[1] << " by default";
    return in_order;
  }

  std::string names;
};

TEST_F(Prefetch, ReadersAgreeWithAndWithoutReadAhead) {
  expect_same({"qxwho", "-h", "from:to"}, names);
  // Undecodable words are reported in turn; directories, devices and
  // missing files are skipped without a word.
  EXPECT_NE(expect_same({"qxsearch", "-d", "subject:bad|7"}, names).err, "");
  EXPECT_EQ(expect_same({"qxsearch", "-h", "/:word"}, names).err, "");
  expect_same({"qxsearch", "-c", "/:found"}, names);
  expect_same({"qxfilter", "-v", "-t", "from.addr ~~ \"s1*\" && subject =~ \"9\""}, names);
  expect_same({"qxfilter", "-T", "-t", "from =~ \"Sender 7\" && (size > 0 || seen)"}, names);
  expect_same({"qxfilter", "-t", "subject =~ \"5$\" > \"picked\""}, names);
  EXPECT_EQ(read_file("picked").empty(), false);
}

TEST_F(Prefetch, ArgumentsAndRangesKeepTheirOrder) {
  // A failing Range reports between the messages before and after it, and
  // "-" reads standard input in its turn.
  write_file(".quobix/seq", "box/cur/1:2,\nbox/cur/61:2,\n");
  const std::string stdin_message = "Subject: =?x-none?Q?stdin?=\n\nword\n";
  expect_same({"qxsearch", "-d", "subject:.", "./box/cur/61:2,", "1::", "-", "1:2", "3x"},
              stdin_message);
  expect_same({"qxwho", "./box", "-", "2", "5^", "1"}, stdin_message);
}

// A writer that waits for each answer before it sends the next name.
class Conversation {
 public:
  explicit Conversation(const std::vector<std::string> &argv, const std::string &dir) {
    int to_child[2], from_child[2];
    EXPECT_EQ(pipe(to_child), 0);
    EXPECT_EQ(pipe(from_child), 0);
    child_ = fork();
    if (child_ == 0) {
      dup2(to_child[0], 0);
      dup2(from_child[1], 1);
      close(to_child[1]);
      close(from_child[0]);
      if (chdir(dir.c_str()) != 0 || setenv("HOME", dir.c_str(), 1) != 0) _exit(126);
      std::vector<char *> args;
      for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
      args.push_back(nullptr);
      execv((bin_dir() + "/" + argv[0]).c_str(), args.data());
      _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    in_ = to_child[1];
    out_ = from_child[0];
  }
  ~Conversation() {
    close(in_);
    close(out_);
    int status;
    waitpid(child_, &status, 0);
  }
  // Writes a name and returns the line that answers it ("" when none comes
  // within a generous time: a hang guard, not a measurement).
  std::string ask(const std::string &name) {
    std::string line = name + "\n";
    EXPECT_EQ(write(in_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    std::string answer;
    char c;
    struct pollfd ready = {out_, POLLIN, 0};
    while (poll(&ready, 1, 20000) == 1 && read(out_, &c, 1) == 1) {
      answer += c;
      if (c == '\n') break;
    }
    return answer;
  }

 private:
  pid_t child_ = -1;
  int in_ = -1, out_ = -1;
};

// qxfilter flushes each selected line, so a writer that waits for it
// gets it, with or without read-ahead.
TEST_F(Prefetch, NamesWrittenOneByOneAreAnsweredOneByOne) {
  for (const char *threads : {"0", "4"}) {
    setenv("QUOBIX_PREFETCH", threads, 1);
    Conversation filter({"qxfilter", "-t", "from.addr ~~ \"s*\""}, dir);
    for (const char *name : {"box/cur/1:2,", " box/cur/2:2,", "box/cur/4:2,", "box/cur/5:2,"})
      EXPECT_EQ(filter.ask(name), std::string(name) + "\n") << threads << " threads";
    unsetenv("QUOBIX_PREFETCH");
  }
}

}  // namespace
