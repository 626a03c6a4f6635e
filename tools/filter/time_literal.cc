#include "time_literal.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "parse.h"

namespace {

// The seconds of a local time. Whether summer time applies is left to the
// C library, which knows it for the date in question.
int64_t local_seconds(struct tm &time) {
  time.tm_isdst = -1;
  return mktime(&time);
}

bool consumes_all(const char *text, const char *format, struct tm &time) {
  const char *end = strptime(text, format, &time);
  return end && *end == '\0';
}

void take_start_day(const ParseRun &run, struct tm &time) {
  struct tm start;
  localtime_r(&run.start_time, &start);
  time.tm_mday = start.tm_mday;
  time.tm_mon = start.tm_mon;
  time.tm_year = start.tm_year;
}

// "-" then a number and one of d, h, m, s: that long before the start. An
// empty number counts as 0. A result beyond the range of the arithmetic is
// reported like a malformed one.
int64_t relative_value(const ParseRun &run, const char *text) {
  char *unit;
  errno = 0;
  long count = strtol(text + 1, &unit, 10);
  bool valid = errno == 0 && *unit != '\0' && strchr("dhms", *unit) && unit[1] == '\0';
  int64_t value = 0;
  if (valid && *unit == 'd') {
    struct tm time;
    localtime_r(&run.start_time, &time);
    valid = !__builtin_sub_overflow(time.tm_mday, count, &time.tm_mday);
    time.tm_hour = time.tm_min = time.tm_sec = 0;
    value = local_seconds(time);
  } else if (valid) {
    int64_t unit_seconds = *unit == 'h' ? 3600 : *unit == 'm' ? 60 : 1;
    int64_t span;
    valid = !__builtin_mul_overflow(count, unit_seconds, &span) &&
            !__builtin_sub_overflow(static_cast<int64_t>(run.start_time), span, &value);
  }
  if (!valid) parse_error(run, "invalid relative time format '%s'", text);
  return value;
}

}  // namespace

int64_t time_literal_value(const ParseRun &run, const char *text) {
  if (text[0] == '.' || text[0] == '/') {
    struct stat status;
    if (stat(text, &status) != 0)
      parse_error(run, "can't stat file '%s': %s", text, strerror(errno));
    return status.st_mtime;
  }
  // Every form is tried into the same broken-down time, which starts all
  // zero.
  struct tm time = {};
  if (consumes_all(text, "%Y-%m-%d %H:%M:%S", time)) return local_seconds(time);
  if (consumes_all(text, "%Y-%m-%d", time)) {
    time.tm_hour = time.tm_min = time.tm_sec = 0;
    return local_seconds(time);
  }
  if (consumes_all(text, "%H:%M:%S", time)) {
    take_start_day(run, time);
    return local_seconds(time);
  }
  if (consumes_all(text, "%H:%M", time)) {
    time.tm_sec = 0;
    take_start_day(run, time);
    return local_seconds(time);
  }
  if (text[0] == '-') return relative_value(run, text);
  parse_error(run, "invalid time format '%s'", text);
}
