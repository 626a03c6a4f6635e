#include "attach.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base64.h"
#include "qp.h"
#include "test_support.h"

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

// A file read in pieces encodes as the same bytes in one piece would,
// whatever straddles the end of a piece.
TEST(AttachFile, PiecesEncodeLikeTheWholeContent) {
  char name[] = "/tmp/attach-test-XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  std::vector<std::string> contents;
  for (size_t shift = 0; shift <= 6; ++shift)
    for (std::string tricky : {"From x\n", ".\n", "ab \n", "t\t\r\n", "\xc3\xa9\xc3\xa9\n"})
      contents.push_back(std::string(kPieceSize - shift - 1, 'y') + "\n" + tricky +
                         "tail\n\xc3\xa9");
  for (size_t size : {kPieceSize - 1, kPieceSize, kPieceSize + 1, 2 * kPieceSize + 57}) {
    std::string binary;
    for (size_t i = 0; i < size; ++i) binary += static_cast<char>(0x80 | (i * 7 % 128));
    contents.push_back(binary);
  }
  for (size_t i = 0; i < contents.size(); ++i) {
    const std::string &content = contents[i];
    FILE *file = fopen(name, "w");
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
    std::string written = stdout_capture([&] { EXPECT_EQ(attach_file(name, "a/b"), 0); });
    bool base64 = written.find("Content-Transfer-Encoding: base64\n") != std::string::npos;
    std::string whole = stdout_capture([&] {
      if (base64)
        encode_base64(content);
      else
        encode_qp(content, 78, 0);
    });
    EXPECT_EQ(base64, i >= contents.size() - 4) << i;
    EXPECT_EQ(written.substr(written.find("\n\n") + 2), whole) << i;
  }
  remove(name);
}

}  // namespace
