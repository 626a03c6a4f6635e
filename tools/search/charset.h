// Text parts in charsets other than UTF-8 and US-ASCII, converted to UTF-8
// so that the expression sees the same text in every part (--charsets).
#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The iconv descriptors opened during a run, one per charset name (lower
// case), kept open because a mailbox uses few charsets over and over. A
// name iconv does not know is remembered too, so it is tried only once.
struct CharsetConverters {
  struct Entry {
    std::string name;
    iconv_t cd;
  };
  std::vector<Entry> entries;

  CharsetConverters() = default;
  CharsetConverters(const CharsetConverters &) = delete;
  CharsetConverters &operator=(const CharsetConverters &) = delete;
  ~CharsetConverters();
};

// Converts [text, text + length) from charset to UTF-8 into out. A byte
// that is not a character of charset becomes U+FFFD, and the text goes on
// after it. Returns false, with out unspecified, when iconv does not know
// charset.
bool charset_convert(CharsetConverters &converters, std::string_view charset, const char *text,
                     size_t length, std::string &out);
