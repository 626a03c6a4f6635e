#include "display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "util/captured.h"

namespace {

std::string visible(std::string_view text) {
  return captured([&](FILE *out) { display_visible(out, text); });
}

TEST(Display, VisibleForm) {
  struct Case {
    std::string text, shown;
  } cases[] = {
      {"plain text\tand tab\n", "plain text\tand tab\n"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"\x1b]52;c;eA==\x07", "^[]52;c;eA==^G"},  // a clipboard write
      {std::string("nul\0bs\b", 7), "nul^@bs^H"},
      {"del\x7f", "del^?"},
      {"over\rwrite\r\n", "over^Mwrite\r\n"},  // only a line-ending CR passes
      {"raw c1 \x9b"
       "31m",
       "raw c1 \\x9B31m"},
      {"utf-8 c1 \xc2\x9b"
       "31m \xc2\x85",
       "utf-8 c1 \\u009B31m \\u0085"},
      {"\xe2\x80\xaegnp.exe \xe2\x81\xa6x\xe2\x81\xa9", "\\u202Egnp.exe \\u2066x\\u2069"},
      {"\xe2\x80\xa9\xe2\x81\xaa", "\xe2\x80\xa9\xe2\x81\xaa"},  // next to the ranges: shown
      {"bad \xff \xc3 \xc0\xaf \xed\xa0\x80", "bad \\xFF \\xC3 \\xC0\\xAF \\xED\\xA0\\x80"},
      {"cut \xe2\x82", "cut \\xE2\\x82"},
      {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // past U+10FFFF
  };
  for (const Case &c : cases) EXPECT_EQ(visible(c.text), c.shown) << c.text;
}

TEST(Display, EscapedNamesKeepToOneLine) {
  EXPECT_EQ(display_escaped("a\nb\r\n\x1b"), "a^Jb^M^J^[");
}

TEST(Display, LineFlattenTurnsLineEndsIntoSpaces) {
  char text[] = "Eve\r\n\"Boss\"\n<b@x>";
  line_flatten(text);
  EXPECT_STREQ(text, "Eve  \"Boss\" <b@x>");
}

}  // namespace
