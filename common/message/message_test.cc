// The Message and Header block: a worked example, line-end and unfolding
// edge cases, and the loaders' handling of files, pipes and limits.
#include "message/message.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

Entries entries(const Message *message) {
  Entries result;
  for (char *e = header_next(message, nullptr); e; e = header_next(message, e)) {
    result.emplace_back(e);
    if (result.size() > 100000) break;
  }
  return result;
}

// The bytes of the Header block, NULs included, up to header_end.
std::string block(const Message *message) {
  return std::string(message->header_start, message_header_size(message));
}

class TempFile {
 public:
  explicit TempFile(const std::string &content) {
    char name[] = "/tmp/quobix-message-XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
    path = name;
  }
  ~TempFile() { unlink(path.c_str()); }
  std::string path;
};

const char kWorkedCrlf[] =
    "From: Alice\r\nSubject:   Hello\r\n  World\r\nTo: Bob\r\nX-Empty:\r\n\r\nbody\r\n";
const char kWorkedLf[] = "From: Alice\nSubject:   Hello\n  World\nTo: Bob\nX-Empty:\n\nbody\n";

TEST(Message, WorkedExample) {
  const Entries expected = {"from: Alice", "subject:   Hello World", "to: Bob", "x-empty:"};
  for (const char *text : {kWorkedCrlf, kWorkedLf}) {
    std::string raw = text;
    TempFile file(raw);
    MessagePtr loaded[] = {message_from_memory(raw.data(), raw.size()),
                           message_open(file.path.c_str()), message_open_full(file.path.c_str())};
    for (const MessagePtr &message : loaded) {
      ASSERT_TRUE(message);
      EXPECT_EQ(entries(message.get()), expected);
      EXPECT_STREQ(header_find(message.get(), "Subject"), "Hello World");
      EXPECT_STREQ(header_find(message.get(), "SUBJECT"), "Hello World");
      EXPECT_STREQ(header_find(message.get(), "x-empty"), "");
      EXPECT_EQ(header_find(message.get(), "Cc"), nullptr);
      EXPECT_EQ(header_find(message.get(), "Subject:"), nullptr);
      EXPECT_EQ(*message->header_end, '\0');
    }
    EXPECT_EQ(loaded[1]->body_start, nullptr);
    EXPECT_EQ(loaded[1]->raw_start, nullptr);
    EXPECT_EQ(message_body_size(loaded[1].get()), 0u);
    const char *body = raw == kWorkedCrlf ? "body\r\n" : "body\n";
    for (int i : {0, 2}) {
      EXPECT_EQ(std::string(loaded[i]->body_start, message_body_size(loaded[i].get())), body);
    }
    EXPECT_EQ(loaded[0]->raw_start, raw.data());
    EXPECT_EQ(loaded[2]->raw_start, loaded[2]->file_buffer);
  }
}

struct UnfoldRow {
  const char *raw;
  Entries from_memory;  // message_from_memory (and message_open_full)
  Entries header_only;  // message_open
};

const UnfoldRow kUnfold[] = {
    {"", {}, {}},
    {"\n\nbody", {}, {}},
    // A first empty line alone does not split; the entry's name scan stops at
    // that first LF, so the name keeps its case.
    {"\nA: b\n\nbody", {" A: b"}, {" A: b"}},
    {"A: b\nC: d", {"a: b", "c: d"}, {"a: b", "c: d"}},  // no empty line at all
    {"Subject: foo  \r\nTo: b\r\n\r\n", {"subject: foo", "to: b"}, {"subject: foo", "to: b"}},
    {"To: b\r\nSubject: foo  \r\n\r\n", {"to: b", "subject: foo  "}, {"to: b", "subject: foo"}},
    {"Subject: foo  \nTo: b\n\n", {"subject: foo  ", "to: b"}, {"subject: foo  ", "to: b"}},
    {"Subject: foo  \n bar  \n\n", {"subject: foo   bar"}, {"subject: foo   bar"}},
    {"Subject: foo\n \n\n", {"subject: foo"}, {"subject: foo"}},
    {"bogus\nTo: b\n\n", {"bogus To: b"}, {"bogus To: b"}},
    {"bogus\r\nTo: b\r\n\r\n", {"bogus", "to: b"}, {"bogus", "to: b"}},
    {"A: x\ry\n\n", {"a: x y"}, {"a: x y"}},
    {"MiXed-Case: Value\n\n", {"mixed-case: Value"}, {"mixed-case: Value"}},
    {"X:\n\n", {"x:"}, {"x:"}},
    {"A: b\n\t\tc\n\n", {"a: b c"}, {"a: b c"}},
};

TEST(Message, HeaderBlockEntries) {
  for (const UnfoldRow &row : kUnfold) {
    std::string raw = row.raw;
    MessagePtr memory = message_from_memory(raw.data(), raw.size());
    ASSERT_TRUE(memory);
    EXPECT_EQ(entries(memory.get()), row.from_memory) << row.raw;
    TempFile file(raw);
    MessagePtr full = message_open_full(file.path.c_str());
    ASSERT_TRUE(full);
    EXPECT_EQ(entries(full.get()), row.from_memory) << row.raw;
    MessagePtr header = message_open(file.path.c_str());
    ASSERT_TRUE(header);
    EXPECT_EQ(entries(header.get()), row.header_only) << row.raw;
  }
}

TEST(Message, MixedLineEndsFollowTheFirstLine) {
  // An LF first line: the CR LF empty line is no separator, all is header.
  std::string raw = "First: a\nSubject: x\r\n\r\nbody";
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_EQ(message->body_start, raw.data() + raw.size());
  EXPECT_EQ(entries(message.get()), (Entries{"first: a", "subject: x", "body"}));
}

TEST(Message, NulBytesBecomeSpaces) {
  std::string raw("A: x\0y\nB: z\0\n\nbo\0dy", 19);
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_EQ(entries(message.get()), (Entries{"a: x y", "b: z "}));
  EXPECT_EQ(message_body_size(message.get()), 5u);
}

TEST(Message, HeaderBlockLayout) {
  std::string raw = "A: 1\r\nB: 2\r\n\r\n";
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_EQ(block(message.get()), std::string("a: 1\0\0b: 2", 10));
}

TEST(Message, HeaderFindRaw) {
  std::string raw = "Content-Type: text/plain\nX-Content-Type: no\nDate:  Mon\n\n";
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_STREQ(header_find_raw(message.get(), "\0content-type:", 14), "text/plain");
  EXPECT_STREQ(header_find_raw(message.get(), "\0date:", 6), "Mon");
  EXPECT_EQ(header_find_raw(message.get(), "\0type:", 6), nullptr);  // never inside a name
  EXPECT_EQ(header_find_raw(message.get(), "", 0), nullptr);
  // A value that mentions a header name is not a header.
  std::string tricky = "Subject: to: x\n\n";
  MessagePtr other = message_from_memory(tricky.data(), tricky.size());
  EXPECT_EQ(header_find(other.get(), "to"), nullptr);
  // A block made of nothing but one name and its colon.
  std::string only = "X:";
  MessagePtr bare = message_from_memory(only.data(), only.size());
  EXPECT_STREQ(header_find(bare.get(), "x"), "");
  EXPECT_EQ(header_find(bare.get(), "xy"), nullptr);
}

TEST(Message, HeaderFindLongNames) {
  std::string name(253, 'n'), longer(254, 'n');
  std::string raw = name + ": fits\n" + longer + ": too long\n\n";
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_STREQ(header_find(message.get(), name.c_str()), "fits");
  EXPECT_EQ(header_find(message.get(), longer.c_str()), nullptr);
}

TEST(Message, HeaderNextAfterTheEnd) {
  std::string raw = "A: 1\n\n";
  MessagePtr message = message_from_memory(raw.data(), raw.size());
  EXPECT_EQ(header_next(message.get(), message->header_end), nullptr);
}

struct CrlfRow {
  const char *bytes;
  bool crlf;
};

TEST(Message, CrlfDetect) {
  const CrlfRow rows[] = {{"", false},   {"abc", false}, {"a\r\nb\n", true}, {"a\nb\r\n", false},
                          {"\n", false}, {"\r\n", true}, {"\r\r\n", true},   {"a\rb\n", false}};
  for (const CrlfRow &row : rows) {
    EXPECT_EQ(crlf_detect(row.bytes, strlen(row.bytes)), row.crlf) << row.bytes;
  }
}

TEST(Message, SeparatorAcrossReadBoundaries) {
  // message_open reads 4096 bytes at a time; a separator that straddles two
  // reads is found wherever it lies.
  for (size_t at = 4088; at <= 4100; ++at) {
    for (bool crlf : {false, true}) {
      const char *eol = crlf ? "\r\n" : "\n";
      // A short first line, so that the first read decides the line ends.
      std::string raw = std::string("A: 1") + eol;
      raw += std::string("B: ") + std::string(at - 5 - strlen(eol), 'x');
      raw += eol;
      raw += eol;
      raw += "Body: no\n";
      TempFile file(raw);
      MessagePtr message = message_open(file.path.c_str());
      ASSERT_TRUE(message);
      EXPECT_EQ(entries(message.get()).size(), 2u) << at << crlf;
      EXPECT_EQ(header_find(message.get(), "body"), nullptr);
    }
  }
}

TEST(Message, OpenReadsOnlyTheBlockWithTheEmptyLine) {
  std::string raw = "A: 1\n\n" + std::string(20000, 'b');
  TempFile file(raw);
  MessagePtr message = message_open(file.path.c_str());
  ASSERT_TRUE(message);
  EXPECT_EQ(message_header_size(message.get()), 5u);
  // From a pipe: the loader stops after the first 4096-byte read, which
  // holds the empty line, and leaves the rest in the pipe.
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  ASSERT_EQ(write(pipe_fds[1], raw.data(), 8192), 8192);
  close(pipe_fds[1]);
  int saved = dup(0);
  dup2(pipe_fds[0], 0);
  close(pipe_fds[0]);
  message = message_open("/dev/stdin");
  char rest[8192];
  ssize_t left = read(0, rest, sizeof rest);
  dup2(saved, 0);
  close(saved);
  ASSERT_TRUE(message);
  EXPECT_EQ(entries(message.get()), (Entries{"a: 1"}));
  EXPECT_EQ(left, 4096);
}

TEST(Message, LongHeaderSectionsGrowTheBuffer) {
  std::string raw;
  for (int i = 0; i < 2000; ++i) raw += "X-" + std::to_string(i) + ": value\n";
  raw += "\nbody";
  TempFile file(raw);
  MessagePtr message = message_open(file.path.c_str());
  ASSERT_TRUE(message);
  EXPECT_EQ(entries(message.get()).size(), 2000u);
  EXPECT_STREQ(header_find(message.get(), "x-1999"), "value");
}

TEST(Message, FailingLoaders) {
  EXPECT_EQ(message_open("/nonexistent/quobix"), nullptr);
  EXPECT_EQ(message_open_full("/nonexistent/quobix"), nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(message_open_full("/tmp"), nullptr);  // a directory is refused before any read
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Message, StandardInputIsADuplicate) {
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  std::string raw = "A: 1\n\nbody\n";
  ASSERT_EQ(write(pipe_fds[1], raw.data(), raw.size()), static_cast<ssize_t>(raw.size()));
  close(pipe_fds[1]);
  int saved = dup(0);
  dup2(pipe_fds[0], 0);
  close(pipe_fds[0]);
  MessagePtr message = message_open_full("/dev/stdin");
  EXPECT_NE(fcntl(0, F_GETFD), -1);  // descriptor 0 stays open
  dup2(saved, 0);
  close(saved);
  ASSERT_TRUE(message);
  EXPECT_EQ(entries(message.get()), (Entries{"a: 1"}));
  EXPECT_EQ(std::string(message->body_start, message_body_size(message.get())), "body\n");
}

TEST(Message, PipedStandardInputReadsToTheEnd) {
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  std::string raw = "A: 1\n\n" + std::string(100000, 'b');
  pid_t child = fork();
  if (child == 0) {
    close(pipe_fds[0]);
    for (size_t at = 0; at < raw.size(); at += 1000) {
      if (write(pipe_fds[1], raw.data() + at, std::min<size_t>(1000, raw.size() - at)) < 0)
        _exit(1);
    }
    _exit(0);
  }
  close(pipe_fds[1]);
  int saved = dup(0);
  dup2(pipe_fds[0], 0);
  close(pipe_fds[0]);
  MessagePtr message = message_open_full("/dev/stdin");
  dup2(saved, 0);
  close(saved);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(message);
  EXPECT_EQ(message_body_size(message.get()), 100000u);
}

// A FIFO without a writer would block an open, a device would never end:
// neither is waited for nor read.
TEST(Message, OnlyRegularFilesAreMessages) {
  char dir[] = "/tmp/quobix-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string fifo = std::string(dir) + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    int error;
  } cases[] = {{fifo, EINVAL}, {"/dev/zero", EINVAL}, {dir, EISDIR}};
  for (const Case &c : cases) {
    errno = 0;
    EXPECT_FALSE(message_open(c.path.c_str())) << c.path;
    EXPECT_EQ(errno, c.error) << c.path;
    errno = 0;
    EXPECT_FALSE(message_open_full(c.path.c_str())) << c.path;
    EXPECT_EQ(errno, c.error) << c.path;
  }
  unlink(fifo.c_str());
  rmdir(dir);
}

struct EntryRow {
  std::string in;
  std::string out;
};

TEST(Message, EntryUnfold) {
  const EntryRow rows[] = {
      {"a: b  ", "a: b  "},       {"a: b\n  c", "a: b c"},   {"a: b  \n c  ", "a: b   c"},
      {"a: b\n", "a: b"},         {"a:\n\n \t c\n", "a: c"}, {"\n", ""},
      {"a: b\n\r\n x", "a: b x"},
  };
  for (const EntryRow &row : rows) {
    std::string entry = row.in + '\0';
    entry_unfold(entry.data(), entry.data() + row.in.size());
    EXPECT_EQ(std::string(entry.c_str()), row.out) << row.in;
    EXPECT_EQ(entry.size(), row.in.size() + 1);
  }
}

}  // namespace

namespace {

// bytes_find keeps memmem's results for short needles (found by first
// byte) and long ones, near misses and needles at the very end included.
TEST(BytesFind, AgreesWithMemmem) {
  const std::string long_needle(40, '-');
  const std::string haystacks[] = {"",
                                   "a",
                                   "\n\n",
                                   "a\nb\n\nc",
                                   "\r\n\r\n",
                                   "x\r\n\r",
                                   std::string("\0to:\0from:x", 11),
                                   std::string(39, '-') + "x" + std::string(40, '-'),
                                   "abcabcabd"};
  const std::string needles[] = {"",          "\n\n", "\r\n\r\n", std::string("\0from:", 6),
                                 long_needle, "abd",  "d",        "abcabcabdx"};
  for (const std::string &haystack : haystacks) {
    for (const std::string &needle : needles) {
      const void *expected = memmem(haystack.data(), haystack.size(), needle.data(), needle.size());
      EXPECT_EQ(bytes_find(haystack.data(), haystack.size(), needle.data(), needle.size()),
                expected)
          << testing::PrintToString(haystack) << " " << testing::PrintToString(needle);
    }
  }
}

}  // namespace
