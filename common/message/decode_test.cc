#include "message/decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// Runs a body decoder on an exact-size heap copy of input, so that a read
// past the end of the range is caught by the address sanitizer.
template <typename Decoder>
std::string decode_range(const std::string &input, Decoder decoder) {
  std::unique_ptr<char[]> copy(new char[input.size()]);
  memcpy(copy.get(), input.data(), input.size());
  std::unique_ptr<char[]> output;
  size_t length = 99;
  EXPECT_TRUE(decoder(copy.get(), copy.get() + input.size(), output, length));
  EXPECT_EQ(output[length], '\0');
  return std::string(output.get(), length);
}

std::string qp(const std::string &input, bool underscore = false) {
  return decode_range(input, [=](const char *start, const char *end, auto &output, auto &length) {
    return decode_qp(start, end, output, length, underscore);
  });
}

std::string base64(const std::string &input) {
  return decode_range(input, [](const char *start, const char *end, auto &output, auto &length) {
    return decode_base64(start, end, output, length);
  });
}

struct DecodeCase {
  std::string input;
  std::string expected;
};

TEST(DecodeQp, EscapesAndSoftBreaks) {
  const DecodeCase cases[] = {
      {"a=3Db=3d", "a=b="},
      {"x=\ny", "xy"},
      {"x=\r\ny", "xy"},
      {"x= \ny", "x= \ny"},  // no white space allowed before the break
      {"=4g", "=4g"},
      {"==41", "==41"},  // the bad escape "==4" swallows the start of "=41"
      {"=\xc3\xa9", "=\xc3\xa9"},
      {"ab=", "ab="},
      {"ab=4", "ab=4"},
      {"=\r", "=\r"},
      {"=\rx", "=\rx"},
      {"=", "="},
      {"", ""},
      {"a_b", "a_b"},
      {std::string("=00a", 4), std::string("\0a", 2)},
  };
  for (const DecodeCase &c : cases) EXPECT_EQ(qp(c.input), c.expected) << c.input;
}

TEST(DecodeQp, UnderscoreFlagMakesSpaces) {
  EXPECT_EQ(qp("a_b", true), "a b");
  EXPECT_EQ(qp("=5F_", true), "_ ");
}

TEST(DecodeBase64, GroupsPaddingAndWhiteSpace) {
  const DecodeCase cases[] = {
      {"QUJD", "ABC"},
      {"QUI=", "AB"},
      {"QQ==", "A"},
      {"QQ==QQ==", "AA"},
      {"QU\r\nJD", "ABC"},
      {" Q\tU J\nD ", "ABC"},
      {"QUJ", ""},
      {"QUJDQ", "ABC"},
      {"QUJD QU", "ABC"},  // five bytes left, but only two significant
      {"QU*D", "???"},
      {"QU\x01"
       "D",
       "???"},
      {"QU\xc3"
       "D"
       "QUJD",
       "???ABC"},
      {"", ""},
      {"AA==", std::string("\0", 1)},
      // Whole groups next to padded, broken and spaced ones.
      {"QUJDQUI=QUJD", "ABCABABC"},
      {"QUJD\nQU*DQUJD", "ABC???ABC"},
      {"QUJDQ=JD",
       "ABC\x02"
       "C"},  // "=" second in a group drops only its byte
  };
  for (const DecodeCase &c : cases) EXPECT_EQ(base64(c.input), c.expected) << c.input;
}

TEST(DecodeBodies, NeverReadAtOrBeyondTheEnd) {
  const char text[] = "ab=41QUJD";
  std::unique_ptr<char[]> output;
  size_t length;
  ASSERT_TRUE(decode_qp(text, text + 4, output, length, false));
  EXPECT_EQ(std::string(output.get(), length), "ab=4");
  ASSERT_TRUE(decode_base64(text + 5, text + 8, output, length));
  EXPECT_EQ(length, 0u);
}

struct Words {
  std::string text;
  std::string err;
};

// Decodes input to UTF-8 into an exact-size heap buffer of size bytes.
Words words(const char *input, size_t size = 256) {
  std::unique_ptr<char[]> output(new char[size]);
  testing::internal::CaptureStderr();
  bool done = decode_words(output.get(), input, size, "UTF-8");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(done) << input;
  return {output.get(), err};
}

constexpr const char *kError = "error decoding rfc2047\n";

struct WordsCase {
  const char *input;
  const char *expected;  // null: the input comes back unchanged
  bool message;
};

TEST(DecodeWords, DecodesAndConverts) {
  const WordsCase cases[] = {
      {"=?UTF-8?Q?caf=C3=A9?=", "caf\xc3\xa9", false},
      {"=?utf-8?b?Y2Fmw6k=?=", "caf\xc3\xa9", false},
      {"=?ISO-8859-1?Q?caf=E9?=", "caf\xc3\xa9", false},
      {"=?UTF-8?Q?a_b?=", "a b", false},
      {"=?utf-8*en?Q?x?=", "x", false},
      {"=?UTF-8?Q?"
       "?=",
       "", false},
      {"no words here", "no words here", false},
      // Gaps: white space between or before words goes, other text stays.
      {"=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=", "ab", false},
      {"  =?UTF-8?Q?a?=\r\n\t=?UTF-8?Q?b?= c", "ab c", false},
      {"Re: =?UTF-8?Q?x?=", "Re: x", false},
      {"abc=?UTF-8?Q?x?=def", "abcxdef", false},
      {"=?ISO-8859-1?Q?=E9?= =?UTF-8?B?w6k=?=", "\xc3\xa9\xc3\xa9", false},
      // A character split across adjacent words of one character set.
      {"=?UTF-8?Q?=C3?= =?UTF-8?Q?=A9?=", "\xc3\xa9", false},
      {"=?UTF-8?Q?=E2=82?==?UTF-8?B?rA==?=", "\xe2\x82\xac", false},
      {"=?UTF-8?Q?a=C3?=", "a", false},  // never completed: dropped
      // Malformed words and conversions give back the input.
      {"=?nonexistent-charset?Q?x?=", nullptr, true},
      {"=?UTF-8?X?y?=", nullptr, true},
      {"a =? b", nullptr, true},
      {"=?UTF-8?Q?x", nullptr, true},
      {"=?UTF-8?Q", nullptr, true},
      {"=?UTF-8?", nullptr, true},
      {"=?UTF-8?QQx?=", nullptr, true},
      {"=?UTF-8?Q?=FF?=", nullptr, true},
      {"=?UTF-8?Q?ok?= =?UTF-8?Q?=FF?=", nullptr, true},
      {"=?UTF-8?Q?=C3?= x =?UTF-8?Q?=A9?=", nullptr, true},
      {"=?UTF-8?Q?=C3?= =?ISO-8859-1?Q?=A9?=", nullptr, true},
      // A NUL in the result gives back the input, silently.
      {"=?UTF-8?Q?a=00b?=", nullptr, false},
      {"=?UTF-8?B?AA==?=", nullptr, false},
  };
  for (const WordsCase &c : cases) {
    Words result = words(c.input);
    EXPECT_EQ(result.text, c.expected ? c.expected : c.input) << c.input;
    EXPECT_EQ(result.err, c.message ? kError : "") << c.input;
  }
}

TEST(DecodeWords, CutsToTheBuffer) {
  const struct {
    const char *input;
    size_t size;
    const char *expected;
  } cases[] = {
      {"abcdef", 4, "ab"},  // verbatim copies keep a byte of room free
      {"abcdef", 1, ""},
      {"=?UTF-8?Q?abcdef?=", 4, "abc"},             // conversion may fill the buffer
      {"=?UTF-8?Q?=C3=A9=C3=A9?=", 4, "\xc3\xa9"},  // never half a character
      {"abc =?UTF-8?Q?x?=", 4, "abc"},
      {"=?UTF-8?Q?x?= abcdef", 5, "x a"},
      {"=?bogus?Q?x?= abcdef", 5, "=?b"},
  };
  for (const auto &c : cases) EXPECT_EQ(words(c.input, c.size).text, c.expected) << c.input;
}

TEST(DecodeWords, SizeZeroWritesNothing) {
  char output = 'Z';
  EXPECT_FALSE(decode_words(&output, "=?UTF-8?Q?x?=", 0, "UTF-8"));
  EXPECT_EQ(output, 'Z');
}

}  // namespace
