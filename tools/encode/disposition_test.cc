#include "disposition.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string disposition(const std::string &name, const std::string &kind = "attachment") {
  return stdout_capture([&] { write_disposition(kind, name); });
}

struct Case {
  std::string filename;
  std::string expected;
};

TEST(WriteDisposition, PlainQuotedAndExtendedNames) {
  const std::string name36(32, 'n');
  const Case cases[] = {
      {"", "Content-Disposition: attachment\n"},
      {"a.txt", "Content-Disposition: attachment; filename=a.txt\n"},
      {"other name.txt", "Content-Disposition: attachment; filename=\"other name.txt\"\n"},
      {"a=b", "Content-Disposition: attachment; filename=\"a=b\"\n"},
      {"100%*'.txt", "Content-Disposition: attachment; filename=100%*'.txt\n"},
      {name36 + ".txt", "Content-Disposition: attachment; filename=" + name36 + ".txt\n"},
      {name36 + "x.txt",
       "Content-Disposition: attachment;\n filename*0*=UTF-8''" + name36 + "x.txt\n"},
      {"r\xc3\xa9sum\xc3\xa9.txt",
       "Content-Disposition: attachment;\n filename*0*=UTF-8''r%c3%a9sum%c3%a9.txt\n"},
      {"say \"hi\".txt",
       "Content-Disposition: attachment;\n filename*0*=UTF-8''say%20%22hi%22.txt\n"},
      {"tab\there", "Content-Disposition: attachment;\n filename*0*=UTF-8''tab%09here\n"},
      // Every byte outside attribute-char is escaped in the extended form.
      {"r\xc3\xa9s;u=m%*'(x)@<y>,:\\/[z]?.txt",
       "Content-Disposition: attachment;\n "
       "filename*0*=UTF-8''r%c3%a9s%3bu%3dm%25%2a%27%28x%29%40%3cy"
       "%3e%2c%3a%5c%2f;\n filename*1*=%5bz%5d%3f.txt\n"},
  };
  for (const auto &[filename, expected] : cases)
    EXPECT_EQ(disposition(filename), expected) << filename;
  EXPECT_EQ(disposition("a.png", "inline"), "Content-Disposition: inline; filename=a.png\n");
}

TEST(WriteDisposition, LongNamesGoInNumberedSegments) {
  // The first segment's line holds " filename*0*=UTF-8''" and bytes while
  // its count from the ";" is at most 74; later ones "filename*N*=".
  std::string name(150, 'a');
  EXPECT_EQ(disposition(name), "Content-Disposition: attachment;\n filename*0*=UTF-8''" +
                                   std::string(53, 'a') +
                                   ";\n filename*1*=" + std::string(60, 'a') +
                                   ";\n filename*2*=" + std::string(37, 'a') + "\n");
  // An escape may pass 74 by two; the bytes of one character may go to
  // two segments, which readers join before decoding.
  std::string escaped = disposition(std::string(52, 'a') + "\xc3\xa9");
  EXPECT_EQ(escaped, "Content-Disposition: attachment;\n filename*0*=UTF-8''" +
                         std::string(52, 'a') + "%c3;\n filename*1*=%a9\n");
}

}  // namespace
