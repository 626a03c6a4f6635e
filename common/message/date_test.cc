#include "message/date.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <string>

namespace {

// A result as a readable UTC date, or "fail" for -1.
std::string utc_text(int64_t seconds) {
  if (seconds == -1) return "fail";
  time_t t = seconds;
  struct tm tm;
  char text[32];
  gmtime_r(&t, &tm);
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

struct DateCase {
  const char *text;
  const char *expected;
};

const DateCase kDates[] = {
    // Zones are offsets from UTC; names are ignored.
    {"Mon, 1 Jan 2020 12:34:56 +0200", "2020-01-01 10:34:56"},
    {"Mon, 1 Jan 2020 12:34:56 -0530", "2020-01-01 18:04:56"},
    {"1 Jan 2020 12:34:56 GMT", "2020-01-01 12:34:56"},
    {"1 Jan 2020 12:34:56 EST", "2020-01-01 12:34:56"},
    {"1 Jan 2020 12:34:56", "2020-01-01 12:34:56"},
    {"Tue, 1 Jan 2020 00:30:00 +0100 (CET)", "2019-12-31 23:30:00"},
    {"1 Jan 2020 12:34:56 - 0100", "2020-01-01 13:34:56"},
    {"  \tSun,\t2 Feb 2020 01:02:03 +0000", "2020-02-02 01:02:03"},
    {"1 Jan 2020", "fail"},
    {"", "fail"},
    // Case, two-digit years, missing seconds.
    {"WED, 3 MAR 99 04:05 -0000", "1999-03-03 04:05:00"},
    {"1 Jan 49 00:00", "2049-01-01 00:00:00"},
    {"1 Jan 50 00:00", "1950-01-01 00:00:00"},
    {"1 Jan 00 00:00", "2000-01-01 00:00:00"},
    {"1 Jan 1000 00:00", "1000-01-01 00:00:00"},
    {"1 Jan 100 00:00", "fail"},
    {"1 Jan 999 00:00", "fail"},
    {"1 Jan 10000 00:00", "fail"},
    {"1 Jan -5 00:00", "fail"},
    // Only three-letter weekdays with a comma, only three-letter months;
    // blanks between numbers and words may be missing.
    {"Mon 1 Jan 2020 12:34:56", "fail"},
    {"Monday, 1 Jan 2020 12:34:56", "fail"},
    {"1 January 2020 12:34:56", "fail"},
    {"1Jan2020 12:34", "2020-01-01 12:34:00"},
    {"+1 Jan 2020 12:34", "2020-01-01 12:34:00"},
    // The day is not checked against the month's length.
    {"31 Feb 2020 00:00:00 +0000", "2020-03-02 00:00:00"},
    {"29 Feb 2100 00:00:00", "2100-03-01 00:00:00"},
    {"0 Jan 2020 00:00", "fail"},
    {"32 Jan 2020 00:00", "fail"},
    // Time ranges and separators.
    {"1 Jan 2020 24:00:00", "2020-01-02 00:00:00"},
    {"1 Jan 2020 25:00", "fail"},
    {"1 Jan 2020 12:60", "fail"},
    {"1 Jan 2020 23:59:61", "2020-01-02 00:00:01"},
    {"1 Jan 2020 12:00:62", "fail"},
    {"1 Jan 2020 12:34:", "fail"},
    {"1 Jan 2020 12.34.56", "fail"},
    // Zones: hhmm up to 10000, read even without a blank before them.
    {"1 Jan 2020 12:00 +2", "2020-01-01 11:58:00"},
    {"1 Jan 2020 12:00 +10000", "2019-12-28 08:00:00"},
    {"1 Jan 2020 12:00 +10001", "fail"},
    {"1 Jan 2020 12:00 +", "fail"},
    {"1 Jan 2020 12:00 -x", "fail"},
    {"1 Jan 2020 12:34:56+0100", "2020-01-01 11:34:56"},
    {"1 Jan 2020 12:34+0100", "2020-01-01 11:34:00"},
    {"1 Jan 2020 01:01:01.5 +0000", "2020-01-01 01:01:01"},
    {"1 Jan 2020 01:01:01.5 +0100", "2020-01-01 01:01:01"},
};

TEST(DateParse, ExamplesTable) {
  for (const DateCase &c : kDates) {
    EXPECT_EQ(utc_text(date_parse(c.text)), c.expected) << c.text;
  }
}

TEST(DateParse, DoesNotDependOnLocalZone) {
  const char *saved = getenv("TZ");
  std::string old = saved ? saved : "";
  setenv("TZ", "XYZ-14", 1);  // POSIX form: needs no zone files
  tzset();
  int64_t seconds = date_parse("1 Jan 2020 12:34:56 +0000");
  if (saved) {
    setenv("TZ", old.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(seconds, 1577882096);
}

struct NumberCase {
  const char *text;
  long minimum, maximum;
  long expected;  // -1 for failure
  size_t consumed;
};

const NumberCase kNumbers[] = {
    {"42x", 0, 100, 42, 2},
    {" \t\n\v\f\r7", 0, 100, 7, 7},
    {"+7", 0, 100, 7, 2},
    {"-7", -10, 0, -7, 2},
    {"-7", 0, 100, -1, 0},
    {"101", 0, 100, -1, 0},
    {"", 0, 100, -1, 0},
    {"+", 0, 100, -1, 0},
    {" x", 0, 100, -1, 0},
    {"99999999999999999999", 0, 100, -1, 0},
    {"9223372036854775807", 0, 9223372036854775807L, 9223372036854775807L, 19},
    {"9223372036854775808", 0, 9223372036854775807L, -1, 0},
};

TEST(NumberInRange, ReadsLikeStrtolWithinBounds) {
  for (const NumberCase &c : kNumbers) {
    const char *position = c.text;
    EXPECT_EQ(number_in_range(position, c.minimum, c.maximum), c.expected) << c.text;
    EXPECT_EQ(static_cast<size_t>(position - c.text), c.consumed) << c.text;
  }
}

TEST(NumberInRange, OutOfRangeSetsErange) {
  const char *position = "50";
  errno = 0;
  EXPECT_EQ(number_in_range(position, 0, 49), -1);
  EXPECT_EQ(errno, ERANGE);
}

// Every day of five centuries, leap rules included, against the C
// library's own UTC calendar.
TEST(UtcSeconds, AgreesWithGmtimeDayByDay) {
  UtcTime start{.second = 56, .minute = 34, .hour = 12, .day = 1, .month = 0, .year = -1};
  int64_t first = utc_seconds(start);
  for (int64_t day = 0; day < 500 * 366; ++day) {
    time_t t = first + day * 86400;
    struct tm tm;
    ASSERT_TRUE(gmtime_r(&t, &tm));
    UtcTime time{.second = tm.tm_sec,
                 .minute = tm.tm_min,
                 .hour = tm.tm_hour,
                 .day = tm.tm_mday,
                 .month = tm.tm_mon,
                 .year = tm.tm_year};
    ASSERT_EQ(utc_seconds(time), t) << utc_text(t);
  }
}

TEST(UtcSeconds, OutOfRangeFieldsCarry) {
  EXPECT_EQ(utc_seconds(UtcTime{}), 0);
  EXPECT_EQ(utc_text(utc_seconds({.day = 32, .month = 0, .year = 120})), "2020-02-01 00:00:00");
  EXPECT_EQ(utc_text(utc_seconds({.minute = -30, .hour = -1, .day = 1, .month = 0, .year = 120})),
            "2019-12-31 22:30:00");
  EXPECT_EQ(utc_text(utc_seconds({.second = 60, .hour = 24, .day = 31, .month = 11, .year = 99})),
            "2000-01-01 00:01:00");
}

}  // namespace
