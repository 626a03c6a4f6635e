#include "qp.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string body_qp(const std::string &data) {
  return stdout_capture([&] { encode_qp(data, 78, 0); });
}

struct Case {
  std::string input;
  std::string expected;
};

TEST(EncodeQpBody, EscapesWhatTransportsWouldAlter) {
  const Case cases[] = {
      {"hello = world\n", "hello =3D world\n"},
      {"tail", "tail=\n"},
      {"From me\n", "=46rom me\n"},
      {"a\nFrom me\n", "a\n=46rom me\n"},
      {"say From me\n", "say From me\n"},
      {".\n", "=2E\n"},
      {".\r\n", "=2E=0D\n"},
      {"..\n", "..\n"},
      {".", ".=\n"},
      {"ab \n", "ab=20\n"},
      {"ab\t\n", "ab=09\n"},
      {"a b\tc\n", "a b\tc\n"},
      {"ab ", "ab=20=\n"},
      {"a\r\n", "a=0D\n"},
      {std::string("a\0b\n", 4), "a=00b\n"},
      {"\x7f\xff\n", "=7F=FF\n"},
      {"", ""},
  };
  for (const auto &[input, expected] : cases) EXPECT_EQ(body_qp(input), expected) << input;
}

TEST(EncodeQpBody, SoftBreaksKeepLinesWithin78) {
  std::string x75(75, 'x');
  EXPECT_EQ(body_qp(std::string(200, 'x') + "\n"),
            x75 + "=\n" + x75 + "=\n" + std::string(50, 'x') + "\n");
  EXPECT_EQ(body_qp(std::string(74, 'x') + "=====\n"),
            std::string(74, 'x') + "=3D=\n=3D=3D=3D=3D\n");
  // A "From " that a soft break brings to the start of a line is escaped too.
  EXPECT_EQ(body_qp(x75 + "From x\n"), x75 + "=\n=46rom x\n");
}

TEST(EncodeQpBody, NeverSplitsACharacter) {
  std::string twelve = repeat("=C3=A9", 12) + "=\n";
  EXPECT_EQ(body_qp(repeat("\xc3\xa9", 40) + "\n"),
            twelve + twelve + twelve + repeat("=C3=A9", 4) + "\n");
  // A three-byte character needs 9 columns: after 69 it moves on.
  EXPECT_EQ(body_qp(std::string(69, 'x') + "\xe2\x82\xac\n"),
            std::string(69, 'x') + "=\n=E2=82=AC\n");
  EXPECT_EQ(body_qp(std::string(65, 'x') + "\xe2\x82\xac\n"), std::string(65, 'x') + "=E2=82=AC\n");
}

TEST(EncodeQpHeader, WritesTheInsideOfAWord) {
  std::string out;
  int column = 0;
  out = stdout_capture([&] { column = encode_qp("a b_c=d\t\xc3\xa9!*+-/?", 78, 11); });
  EXPECT_EQ(out, "a_b=5Fc=3Dd=09=C3=A9!*+-/=3F");
  EXPECT_EQ(column, 11 + static_cast<int>(out.size()));
  out = stdout_capture([&] { column = encode_qp("", 78, 20); });
  EXPECT_EQ(out, "");
  EXPECT_EQ(column, 20);
}

TEST(EncodeQpHeader, FoldsIntoANewWord) {
  int column = 0;
  std::string out = stdout_capture([&] { column = encode_qp(std::string(70, 'a'), 78, 11); });
  // A word after a fold starts at column 1 and may be 75 characters long:
  // room is kept for an escape and "?=" up to column 76.
  EXPECT_EQ(out, std::string(61, 'a') + "?=\n =?UTF-8?Q?" + std::string(9, 'a'));
  EXPECT_EQ(column, 20);
  out = stdout_capture([&] { column = encode_qp(std::string(30, '='), 78, 11); });
  EXPECT_EQ(out, repeat("=3D", 21) + "?=\n =?UTF-8?Q?" + repeat("=3D", 9));
  // Further along the line, the line's own limit of 78 comes first.
  out = stdout_capture([&] { column = encode_qp(std::string(30, '='), 78, 20); });
  EXPECT_EQ(out, repeat("=3D", 18) + "?=\n =?UTF-8?Q?" + repeat("=3D", 12));
}

}  // namespace
