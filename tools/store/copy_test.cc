#include "copy.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

struct Stored {
  Stored(std::string text_, std::string flags_ = "", bool old_ = false)
      : text(std::move(text_)), flags(std::move(flags_)), old(old_) {}
  std::string text;
  std::string flags;
  bool old;
  bool operator==(const Stored &) const = default;
};

void PrintTo(const Stored &stored, std::ostream *os) {
  *os << "{\"" << stored.text << "\", \"" << stored.flags << "\", " << stored.old << "}";
}

struct FileCloser {
  void operator()(FILE *file) const { fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// An input descriptor holding text, NUL bytes and all.
FilePtr input_of(const std::string &text) {
  FilePtr file(tmpfile());
  fwrite(text.data(), 1, text.size(), file.get());
  rewind(file.get());
  return file;
}

// Splits an mbox the way qxstore -M does; result gets the last return value.
std::vector<Stored> split(const std::string &mbox, int &result) {
  FilePtr file = input_of(mbox);
  InputReader in(fileno(file.get()));
  std::vector<Stored> stored;
  result = mbox_skip_to_first(in);
  MboxMessage message;
  message.more = result == 0;
  while (message.more) {
    char *text = nullptr;
    size_t length = 0;
    FILE *stream = open_memstream(&text, &length);
    std::string head;
    MessageWriter out{stream, &head};
    result = copy_mbox_message(in, out, message);
    fclose(stream);
    stored.push_back({std::string(text, length), mbox_flags(message), message.old});
    EXPECT_EQ(head, stored.back().text.substr(0, kHeadSize));
    free(text);
    if (result != 0) break;
  }
  return stored;
}

struct MboxCase {
  const char *what;
  std::string mbox;
  std::vector<Stored> messages;
};

TEST(CopyMbox, SplitsByTheMboxRules) {
  const MboxCase cases[] = {
      {"separator and the blank line before it",
       "From a\nS: 1\n\none\n\nFrom b\nS: 2\n\ntwo\n",
       {{"S: 1\n\none\n"}, {"S: 2\n\ntwo\n"}}},
      {"lines before the first separator are skipped", "junk\nFrom a\nS: 1\n", {{"S: 1\n"}}},
      {"only the last of several blank lines is dropped",
       "From a\nS: 1\n\nbody\n\n\n",
       {{"S: 1\n\nbody\n\n"}}},
      {"a blank line at the very end is dropped", "From a\nS: 1\n\n", {{"S: 1\n"}}},
      {"a separator as last line gives an empty message",
       "From a\nS: 1\nFrom b\n",
       {{"S: 1\n"}, {""}}},
      {"one > comes off an escaped From",
       "From a\n\n>From x\n>>From y\n>Fromage\n> From z\n>\n>>\nbody >From\n",
       {{"\nFrom x\n>From y\n>Fromage\n> From z\n>\n>>\nbody >From\n"}}},
      {"Status letters become flags and the headers go",
       "From a\nStatus: RO\nX-Status: A\nS: 1\n\nStatus: F\n",
       {{"S: 1\n\nStatus: F\n", "RS", true}}},
      {"every letter, names in any case",
       "From a\nSTATUS: DR\nx-status: FA\n\n",
       {{"", "FRST", false}}},
      {"the letters of the name itself do not count", "From a\nX-STATUS: \n\n", {{""}}},
      {"other headers that start alike stay",
       "From a\nStatusx: F\nX-Statu: F\n\n",
       {{"Statusx: F\nX-Statu: F\n"}}},
      {"no blank line: every line is header", "From a\nS: 1\nStatus: R\n", {{"S: 1\n", "S"}}},
      {"a last line without newline", "From a\nS: 1\n\nend", {{"S: 1\n\nend"}}},
      {"NUL bytes and CR LF are kept",
       "From a\r\nS: \0\r\n\r\nb\0dy\r\n"s,
       {{"S: \0\r\n\r\nb\0dy\r\n"s}}},
  };
  for (const MboxCase &c : cases) {
    int result = -1;
    EXPECT_EQ(split(c.mbox, result), c.messages) << c.what;
    EXPECT_EQ(result, 0) << c.what;
  }
}

TEST(CopyMbox, LinesLongerThanTheBuffer) {
  std::string line(3 * kReadBufferSize + 17, 'x');
  std::string quotes(2 * kReadBufferSize + 3, '>');
  std::string status = "Status: " + std::string(kReadBufferSize, ' ') + "F\n";
  int result = -1;
  auto stored = split(
      "From a\n" + status + "\n" + line + "\n" + quotes + "From x\n" + "From " + line + "\nS: 2\n",
      result);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], (Stored{"\n" + line + "\n" + quotes.substr(1) + "From x\n", "F"}));
  EXPECT_EQ(stored[1], (Stored{"S: 2\n"}));
}

TEST(CopyMbox, InputWithoutSeparatorFailsWithEinval) {
  for (const char *text : {"", "\n", "Subject: x\n\nbody\nFrom\n", ">From x\n"}) {
    int result = 0;
    errno = 0;
    EXPECT_TRUE(split(text, result).empty()) << text;
    EXPECT_EQ(result, -1);
    EXPECT_EQ(errno, EINVAL);
  }
}

TEST(CopyPlain, CopiesEveryByte) {
  std::string text;
  for (size_t i = 0; i < 3 * kReadBufferSize + 5; ++i) text += static_cast<char>(i * 7 % 256);
  text += "\nFrom x\n>From y\nStatus: R\n\n";
  FilePtr file = input_of(text);
  InputReader in(fileno(file.get()));
  char *copy = nullptr;
  size_t length = 0;
  FILE *stream = open_memstream(&copy, &length);
  MessageWriter out{stream, nullptr};
  EXPECT_EQ(copy_plain(in, out), 0);
  fclose(stream);
  EXPECT_EQ(std::string(copy, length), text);
  free(copy);
}

}  // namespace
