#include "header_line.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string header(const std::string &line) {
  return stdout_capture([&] { encode_header_line(line); });
}

struct Case {
  std::string line;
  std::string expected;
};

TEST(EncodeHeaderLine, TokensAndEncodedWords) {
  const Case cases[] = {
      {"Subject: hello world\n", "Subject: hello world\n"},
      {"Subject: hello world", "Subject: hello world\n"},
      {"Subject: caf\xc3\xa9 au lait\n", "Subject: =?UTF-8?Q?caf=C3=A9?= au lait\n"},
      {"Subject: caf\xc3\xa9 cr\xc3\xa8me\n",
       "Subject: =?UTF-8?Q?caf=C3=A9?= =?UTF-8?Q?_cr=C3=A8me?=\n"},
      {"From: \"J\xc3\xbcrgen Smith\" <j@example.org>\n",
       "From: =?UTF-8?Q?J=C3=BCrgen_Smith?= <j@example.org>\n"},
      {"From: \"John Smith\" <j@example.org>\n", "From: \"John Smith\" <j@example.org>\n"},
      {"From: \"a\\\"\xc3\xa9\" <j@example.org>\n",
       "From: =?UTF-8?Q?a=5C=22=C3=A9?= <j@example.org>\n"},
      {"Subject:no space\n", "Subject: no space\n"},
      {"Subject: a  b   c\n", "Subject: a  b   c\n"},
      {"Subject: trailing   \n", "Subject: trailing\n"},
      {"no colon at all\n", "no colon at all\n"},
      {"X: \"a\"b \"c\" \"\" \"\n", "X: \"a\"b \"c\" \"\" \"\n"},
      {"X: \"\xc3\xa9\"b\n", "X: =?UTF-8?Q?=C3=A9?= b\n"},
      {"X: \"unclosed \xc3\xa9\n", "X: =?UTF-8?Q?unclosed_=C3=A9?=\n"},
      {" continued line\n", " continued line\n"},
      {"\tcontinued\n", " \tcontinued\n"},
      {"   three spaces\n", " =?UTF-8?Q?__three?= spaces\n"},
      {"\n", "\n"},
      {"", ""},
  };
  for (const auto &[line, expected] : cases) EXPECT_EQ(header(line), expected) << line;
}

TEST(EncodeHeaderLine, PlainWordsFoldAtColumn78) {
  std::string word(10, 'w');
  // "Subject:" and seven words of 11 columns end at 85: the seventh moves.
  EXPECT_EQ(header("Subject:" + repeat(" " + word, 7)),
            "Subject:" + repeat(" " + word, 6) + "\n " + word + "\n");
  // A run of spaces that a fold brings to the start of a line is encoded.
  EXPECT_EQ(header("Subject:" + repeat(" " + word, 6) + "   end"),
            "Subject:" + repeat(" " + word, 6) + "\n =?UTF-8?Q?__end?=\n");
  std::string long_word(101, 'x');
  EXPECT_EQ(header("X: " + long_word), "X:\n " + long_word + "\n");
}

TEST(EncodeHeaderLine, OverlongWordIsEncodedAndSplit) {
  std::string out = header("X: " + std::string(1001, 'a'));
  EXPECT_EQ(out.substr(0, 17), "X: =?UTF-8?Q?aaaa");
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 78u);
  EXPECT_EQ(std::count(out.begin(), out.end(), 'a'), 1001);
  // 997 bytes, its leading space counted, stay plain.
  std::string plain(996, 'a');
  EXPECT_EQ(header("X: " + plain), "X:\n " + plain + "\n");
}

// A header name long enough for the next token to start at column.
std::string at_column(int column) { return std::string(column - 1, 'X') + ":"; }

TEST(EncodeHeaderLine, EncodedWordsFitTheirLines) {
  std::string e = "=C3=A9";
  EXPECT_EQ(header("Subject: " + repeat("\xc3\xa9", 50)),
            "Subject: =?UTF-8?Q?" + repeat(e, 9) + "?=\n =?UTF-8?Q?" + repeat(e, 10) +
                "?=\n =?UTF-8?Q?" + repeat(e, 10) + "?=\n =?UTF-8?Q?" + repeat(e, 10) +
                "?=\n =?UTF-8?Q?" + repeat(e, 10) + "?=\n =?UTF-8?Q?" + e + "?=\n");
  // No word starts past column 60.
  std::string word = "a" + repeat("\xc3\xa9", 10);
  EXPECT_EQ(header(at_column(60) + " " + word),
            at_column(60) + " =?UTF-8?Q?a?=\n =?UTF-8?Q?" + repeat(e, 10) + "?=\n");
  EXPECT_EQ(header(at_column(61) + " " + word),
            at_column(61) + "\n =?UTF-8?Q?a" + repeat(e, 10) + "?=\n");
  // A short word moves when what it needs passes a third of 65 - column.
  EXPECT_EQ(header(at_column(50) + " " + repeat("\xc3\xa9", 2)),
            at_column(50) + " =?UTF-8?Q?" + repeat(e, 2) + "?=\n");
  EXPECT_EQ(header(at_column(50) + " " + repeat("\xc3\xa9", 3)),
            at_column(50) + "\n =?UTF-8?Q?" + repeat(e, 3) + "?=\n");
}

// A long word whose first character would not fit after " =?UTF-8?Q?" is
// moved to the next line rather than written as an empty word.
TEST(EncodeHeaderLine, NeverWritesAnEmptyWord) {
  const std::string four_byte = "\xf0\x9f\x98\x80";
  for (int column = 50; column <= 61; ++column) {
    std::string prefix = at_column(column);
    std::string out = header(prefix + " " + repeat(four_byte, 8));
    EXPECT_EQ(out.find("Q?"
                       "?="),
              std::string::npos)
        << column;
    bool folded = out.starts_with(prefix + "\n =?UTF-8?Q?=F0");
    EXPECT_EQ(folded, column >= 54) << out;
  }
  EXPECT_EQ(header(at_column(60) + " " + repeat("\xc3\xa9", 21)),
            at_column(60) + "\n =?UTF-8?Q?" + repeat("=C3=A9", 10) + "?=\n =?UTF-8?Q?" +
                repeat("=C3=A9", 10) + "?=\n =?UTF-8?Q?=C3=A9?=\n");
}

}  // namespace
