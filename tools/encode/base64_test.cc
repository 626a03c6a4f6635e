#include "base64.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string base64(const std::string &data) {
  return stdout_capture([&] { encode_base64(data); });
}

TEST(EncodeBase64, PadsAndEndsInLineFeed) {
  EXPECT_EQ(base64("hello world"), "aGVsbG8gd29ybGQ=\n");
  EXPECT_EQ(base64("ab"), "YWI=\n");
  EXPECT_EQ(base64("abc"), "YWJj\n");
  EXPECT_EQ(base64(""), "\n");
  EXPECT_EQ(base64(std::string("\xff\x00\xfe", 3)), "/wD+\n");
}

TEST(EncodeBase64, BreaksLinesAfter76Characters) {
  std::string line(76, 'A');
  EXPECT_EQ(base64(std::string(57, '\0')), line + "\n\n");
  EXPECT_EQ(base64(std::string(58, '\0')), line + "\nAA==\n");
  EXPECT_EQ(base64(std::string(114, '\0')), line + "\n" + line + "\n\n");
}

}  // namespace
