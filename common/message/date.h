// Dates of the Date header: the text of a date-time turned into seconds
// since 1970-01-01 00:00:00 UTC. Only numeric zones count; zone names are
// ignored, and the local time zone never enters the result.
#pragma once

#include <cstdint>

// A broken-down UTC time. Fields may lie outside their usual ranges (an
// hour of 24, a day past the month's end, minutes below 0 after a zone
// correction); utc_seconds carries them into the neighbouring units.
struct UtcTime {
  int32_t second = 0;
  int32_t minute = 0;
  int32_t hour = 0;
  int32_t day = 1;    // day of month, from 1
  int32_t month = 0;  // 0 for January to 11 for December
  int32_t year = 70;  // counted from 1900
};

// Seconds since the epoch for the date-time in text, or -1 when it does
// not parse (one second before the epoch also gives -1).
int64_t date_parse(const char *text);

// Reads a decimal number at position the way strtol does with base 10
// (leading white space, one optional sign, digits) and moves position past
// its last digit. Returns -1 and leaves position alone when there is no
// digit, on overflow, or when the value lies outside minimum to maximum
// (errno is then ERANGE).
long number_in_range(const char *&position, long minimum, long maximum);

// Seconds since the epoch for time on the proleptic Gregorian calendar;
// linear in every field, so out-of-range fields carry over. The year must
// be at least 999.
int64_t utc_seconds(const UtcTime &time);
