#include "message/date.h"

#include <array>
#include <cerrno>
#include <climits>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"mon,", "tue,", "wed,", "thu,",
                                                       "fri,", "sat,", "sun,"};
constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

// Matching lower-cases the text by setting bit 0x20, so every table byte
// must already have it set; a NUL in the text then never matches, and the
// comparison stops before reading past the end.
constexpr bool has_case_bit(std::string_view word) {
  for (char c : word) {
    if ((c | 0x20) != c) return false;
  }
  return true;
}
constexpr bool table_has_case_bit(const auto &table) {
  for (std::string_view word : table) {
    if (!has_case_bit(word)) return false;
  }
  return true;
}
static_assert(table_has_case_bit(kWeekdays) && table_has_case_bit(kMonths));

// True, with text moved past it, when text starts with word ignoring the
// case of ASCII letters.
bool consume_word(const char *&text, std::string_view word) {
  for (size_t i = 0; i < word.size(); ++i) {
    if ((text[i] | 0x20) != word[i]) return false;
  }
  text += word.size();
  return true;
}

// Index in table of the word text starts with (consumed), or -1.
int consume_one_of(const char *&text, const auto &table) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (consume_word(text, table[i])) return static_cast<int>(i);
  }
  return -1;
}

void skip_blanks(const char *&text) {
  while (*text == ' ' || *text == '\t') ++text;
}

bool is_strtol_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Year of the digits at text: four-digit years as they are, 0-49 in this
// century, 50-99 in the last. -1 when none applies.
long read_year(const char *&text) {
  long year = number_in_range(text, 1000, 9999);
  if (year >= 0) return year;
  year = number_in_range(text, 0, 49);
  if (year >= 0) return 2000 + year;
  year = number_in_range(text, 50, 99);
  if (year >= 0) return 1900 + year;
  return -1;
}

// Floor division, for month numbers that may be negative.
int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

long number_in_range(const char *&position, long minimum, long maximum) {
  const char *p = position;
  while (is_strtol_space(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  if (*p < '0' || *p > '9') {
    errno = EINVAL;
    return -1;
  }
  // Accumulate the magnitude; LONG_MIN has one more than LONG_MAX.
  unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  unsigned long magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    unsigned digit = *p - '0';
    if (magnitude > (limit - digit) / 10) {
      errno = ERANGE;
      return -1;
    }
    magnitude = magnitude * 10 + digit;
  }
  long value = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
  if (value < minimum || value > maximum) {
    errno = ERANGE;
    return -1;
  }
  position = p;
  return value;
}

int64_t utc_seconds(const UtcTime &time) {
  // Count months from March so that February, with its leap day, comes last.
  int64_t year = 1900 + static_cast<int64_t>(time.year);
  int64_t month = static_cast<int64_t>(time.month) - 1;
  int64_t carry = floor_div(month - 1, 12);
  year += carry;
  month -= 12 * carry;  // now 1 (March) to 12 (February)
  int64_t days =
      365 * year - 719498 + year / 4 - year / 100 + year / 400 + 367 * month / 12 + (time.day - 1);
  return days * 86400 + time.hour * int64_t{3600} + time.minute * int64_t{60} + time.second;
}

int64_t date_parse(const char *text) {
  UtcTime time;
  skip_blanks(text);
  if (consume_one_of(text, kWeekdays) >= 0) skip_blanks(text);

  long day = number_in_range(text, 1, 31);
  if (day < 0) return -1;
  time.day = day;

  skip_blanks(text);
  int month = consume_one_of(text, kMonths);
  if (month < 0) return -1;
  time.month = month;

  skip_blanks(text);
  long year = read_year(text);
  if (year < 0) return -1;
  time.year = year - 1900;

  skip_blanks(text);
  long hour = number_in_range(text, 0, 24);
  if (hour < 0 || *text != ':') return -1;
  ++text;
  long minute = number_in_range(text, 0, 59);
  if (minute < 0) return -1;
  long second = 0;
  if (*text == ':') {
    ++text;
    second = number_in_range(text, 0, 61);
    if (second < 0) return -1;
  }
  time.hour = hour;
  time.minute = minute;
  time.second = second;

  // Only a numeric zone counts; a name, a comment or a fraction of a
  // second ends the text and leaves the time in UTC.
  skip_blanks(text);
  if (*text == '+' || *text == '-') {
    int sign = *text == '+' ? 1 : -1;
    ++text;
    long zone = number_in_range(text, 0, 10000);
    if (zone < 0) return -1;
    time.hour -= sign * (zone / 100);
    time.minute -= sign * (zone % 100);
  }
  return utc_seconds(time);
}
