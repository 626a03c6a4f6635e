#include "time_literal.h"

#include <sys/time.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "parse_fixture.h"

namespace {

using TimeLiteral = ParseTest;

// start_time is 2023-11-14 22:13:20 UTC, TZ is UTC.
TEST_F(TimeLiteral, FormsAndTheirValues) {
  const std::pair<const char *, int64_t> cases[] = {
      {"2024-01-02 03:04:05", 1704164645},
      {"2024-01-02", 1704153600},
      {"10:00:00", 1699956000},
      {"10:30", 1699957800},
      {"-2d", 1699747200},
      {"-0d", 1699920000},
      {"-d", 1699920000},    // an empty number counts as 0
      {"-20d", 1698192000},  // across a month boundary: 2023-10-25
      {"-3h", kStart - 3 * 3600},
      {"-5m", kStart - 300},
      {"-7s", kStart - 7},
  };
  for (const auto &[text, expected] : cases)
    EXPECT_EQ(time_literal_value(run, text), expected) << text;
}

TEST_F(TimeLiteral, FileReferenceGivesItsModificationTime) {
  std::string dir = (std::filesystem::temp_directory_path() / "quobix-time-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  std::string file = dir + "/stamp";
  std::ofstream(file) << "x";
  const struct timeval times[2] = {{1234567890, 0}, {1234567890, 0}};
  ASSERT_EQ(utimes(file.c_str(), times), 0);
  EXPECT_EQ(time_literal_value(run, file.c_str()), 1234567890);
  std::filesystem::current_path(dir);
  EXPECT_EQ(time_literal_value(run, "./stamp"), 1234567890);
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
}

TEST_F(TimeLiteral, MalformedStringsAreParseErrors) {
  const std::pair<const char *, const char *> cases[] = {
      {"-2x", "invalid relative time format '-2x'"},
      {"-2dd", "invalid relative time format '-2dd'"},
      {"-", "invalid relative time format '-'"},
      {"-99999999999999999999h", "invalid relative time format '-99999999999999999999h'"},
      {"-9223372036854775807h", "invalid relative time format '-9223372036854775807h'"},
      {"--9223372036854775807s", "invalid relative time format '--9223372036854775807s'"},
      {"yesterday", "invalid time format 'yesterday'"},
      {"", "invalid time format ''"},
      {"2024-01-02 ", "invalid time format '2024-01-02 '"},
      {"./no such file", "can't stat file './no such file': No such file or directory"},
  };
  for (const auto &[text, message] : cases) {
    std::string expected = std::string("qxfilter: parse error: argv:1:9: ") + message + "\n";
    std::string test = std::string("mtime > \"") + text + "\"";
    expected.replace(expected.find(":9:"), 3, ":" + std::to_string(test.size() + 1) + ":");
    EXPECT_EQ(parse_result(test.c_str()), expected);
  }
}

}  // namespace
