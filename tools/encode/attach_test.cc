#include "attach.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AttachmentLineParse, TypeFieldGrammar) {
  struct Case {
    std::string line;
    bool attachment;
    std::string type, path;
  };
  const Case cases[] = {
      {"#image/png /tmp/a b.png", true, "image/png", "/tmp/a b.png"},
      {"#text/plain#inline /tmp/notes.txt>readme", true, "text/plain#inline",
       "/tmp/notes.txt>readme"},
      {"#application/x-a+b.c;d=e f", true, "application/x-a+b.c;d=e", "f"},
      {"#a/b ", true, "a/b", ""},
      {"#hello world", false, "", ""},
      {"#a/b/c x", false, "", ""},
      {"# x", false, "", ""},
      {"#image/png", false, "", ""},
      {"#image/p_g x", false, "", ""},
      {"#image/p\xc3\xa9 x", false, "", ""},
      {"image/png x", false, "", ""},
      {std::string("#a/b x\0y", 8), false, "", ""},
  };
  for (const auto &[line, attachment, type, path] : cases) {
    auto parsed = attachment_line_parse(line);
    ASSERT_EQ(parsed.has_value(), attachment) << line;
    if (!parsed) continue;
    EXPECT_EQ(parsed->type_field, type);
    EXPECT_EQ(parsed->path_field, path);
  }
}

TEST(ContentScan, CountsControlAndEightBitBytesAndLongestEndedLine) {
  ContentScan scan = content_scan("ab\tc\r\n\x7f\x80\xff\n\x01" + std::string(100, 'x'));
  EXPECT_EQ(scan.control, 2u);
  EXPECT_EQ(scan.eight_bit, 2u);
  EXPECT_EQ(scan.longest_line, 5u);
}

TEST(TransferEncodingChoose, FollowsTheContent) {
  using enum TransferEncoding;
  struct Case {
    std::string type;
    ContentScan scan;
    size_t length;
    TransferEncoding expected;
  };
  const Case cases[] = {
      {"text/plain", {0, 0, 78}, 1000, SevenBit},
      {"text/plain", {0, 0, 79}, 1000, QuotedPrintable},
      {"text/plain", {0, 0, 0}, 0, SevenBit},
      {"text/plain", {0, 250, 10}, 1000, QuotedPrintable},
      {"text/plain", {0, 251, 10}, 1000, Base64},
      {"text/plain", {100, 0, 10}, 1000, QuotedPrintable},
      {"text/plain", {101, 0, 10}, 1000, Base64},
      {"text/plain", {3, 0, 5}, 18, Base64},
      {"message/rfc822", {0, 0, 500}, 1000, SevenBit},
      {"message/rfc822", {0, 900, 10}, 1000, EightBit},
      {"message/rfc822", {5, 0, 10}, 1000, EightBit},
  };
  for (const auto &[type, scan, length, expected] : cases)
    EXPECT_EQ(transfer_encoding_choose(type, scan, length), expected)
        << type << " " << scan.control << " " << scan.eight_bit << " " << scan.longest_line;
}

}  // namespace
