#include "lexer.h"

#include "parse_fixture.h"

namespace {

using Lexer = ParseTest;

TEST_F(Lexer, SkipBlanksCountsLinesAndSkipsComments) {
  struct Case {
    const char *text;
    int stop;  // offset where skipping ends
    int line;
    int line_start;  // offset of the line start
  };
  const Case cases[] = {
      {"new", 0, 1, 0},
      {" \t new", 3, 1, 0},
      {"\n\n  x", 4, 3, 2},
      {"# comment\nx", 10, 2, 10},
      {"# one\n  # two\n\tx # three", 15, 3, 14},
      {"# to the end", 12, 1, 0},
      {"\v\f\r x", 4, 1, 0},
  };
  for (const Case &c : cases) {
    ParsePosition at{c.text, c.text, 1};
    skip_blanks(at);
    EXPECT_EQ(at.pos - c.text, c.stop) << c.text;
    EXPECT_EQ(at.line, c.line) << c.text;
    EXPECT_EQ(at.line_start - c.text, c.line_start) << c.text;
  }
}

TEST_F(Lexer, ReadersLeaveThePositionAloneWhenNothingMatches) {
  const char *text = "-5 x";
  Parser p(run, "argv", text);
  ParsePosition &at = p.at;
  int64_t number;
  std::string value;
  EXPECT_FALSE(read_number(p, number));  // no sign: "-" never starts a number
  EXPECT_FALSE(read_string(p, value));
  EXPECT_TRUE(read_ident(at).empty());
  EXPECT_FALSE(accept(at, "-6"));
  EXPECT_TRUE(peek(at, "-5"));
  EXPECT_EQ(at.pos, text);
}

TEST_F(Lexer, ReadersSkipTheBlanksAfterThem) {
  const char *text = "abc_9 \n 12k \"s\"\"\"  $9 #c\n";
  Parser p(run, "argv", text);
  ParsePosition &at = p.at;
  EXPECT_EQ(read_ident(at), "abc_9");
  int64_t number;
  ASSERT_TRUE(read_number(p, number));
  EXPECT_EQ(number, 12288);
  std::string value;
  ASSERT_TRUE(read_string(p, value));
  EXPECT_EQ(value, "s\"");
  unsetenv("9");
  ASSERT_TRUE(read_string(p, value));  // a name may begin with a digit
  EXPECT_EQ(value, "");
  EXPECT_EQ(*at.pos, '\0');
  EXPECT_EQ(at.line, 3);
}

}  // namespace
