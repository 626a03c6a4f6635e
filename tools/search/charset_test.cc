#include "charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ConvertCase {
  const char *charset;
  std::string text;
  std::string utf8;
};

TEST(CharsetConvert, TextBecomesUtf8) {
  const ConvertCase cases[] = {
      {"ISO-8859-1", "f\xFCr", "f\xC3\xBCr"},
      {"windows-1252", "\x93q\x94", "\xE2\x80\x9Cq\xE2\x80\x9D"},
      // Triple the length: the output grows past its first guess.
      {"windows-1252", std::string(100, '\x80'),
       [] {
         std::string euros;
         for (int i = 0; i < 100; ++i) euros += "\xE2\x82\xAC";
         return euros;
       }()},
      {"windows-1252", "a\x81z", "a\xEF\xBF\xBDz"},            // no character: U+FFFD, and on
      {"UTF-16BE", std::string("\0a\0", 3), "a\xEF\xBF\xBD"},  // cut off at the end
      {"ISO-8859-1", "", ""},
  };
  CharsetConverters converters;
  for (const ConvertCase &c : cases) {
    std::string out = "stale";
    EXPECT_TRUE(charset_convert(converters, c.charset, c.text.data(), c.text.size(), out));
    EXPECT_EQ(out, c.utf8) << c.charset;
  }
}

TEST(CharsetConvert, UnknownCharsetIsRefusedAndRemembered) {
  CharsetConverters converters;
  std::string out;
  EXPECT_FALSE(charset_convert(converters, "x-unknown", "a", 1, out));
  EXPECT_FALSE(charset_convert(converters, "X-Unknown", "a", 1, out));
  EXPECT_TRUE(charset_convert(converters, "Latin1", "a", 1, out));
  EXPECT_TRUE(charset_convert(converters, "LATIN1", "a", 1, out));
  EXPECT_EQ(converters.entries.size(), 2u);  // one per name, whatever its case
}

}  // namespace
