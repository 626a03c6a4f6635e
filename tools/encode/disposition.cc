#include "disposition.h"

#include <algorithm>
#include <cstdio>

#include "output.h"

namespace {

constexpr size_t kLongestPlainName = 36;
// Characters of one RFC 2231 segment, counted from its ";", after which
// no further byte is added to it.
constexpr int kSegmentLimit = 74;
constexpr std::string_view kQuotingSet = " ()<>@,;:\\/[]?=";
// Printable ASCII bytes that an RFC 2231 value must escape: the tspecials
// and "*", "'" and "%", which that syntax gives a meaning of its own.
constexpr std::string_view kNotAttributeChars = "*'%()<>@,;:\\\"/[]?=";

// attribute-char of RFC 2231: what a value may hold unescaped.
bool is_attribute_char(unsigned char byte) {
  return byte > 0x20 && byte < 0x7F &&
         kNotAttributeChars.find(static_cast<char>(byte)) == std::string_view::npos;
}

bool needs_segments(std::string_view name) {
  return name.size() > kLongestPlainName || std::any_of(name.begin(), name.end(), [](char c) {
           auto byte = static_cast<unsigned char>(c);
           return byte < 0x20 || byte >= 0x7F || byte == '"';
         });
}

bool needs_quotes(std::string_view name) {
  return name.find_first_of(kQuotingSet) != std::string_view::npos;
}

void write_segments(std::string_view name) {
  size_t at = 0;
  int segment = 0;
  do {
    int written = printf(";\n filename*%d*=", segment);
    if (segment == 0) {
      out_text("UTF-8''");
      written += 7;
    }
    for (; at < name.size() && written <= kSegmentLimit; ++at) {
      auto byte = static_cast<unsigned char>(name[at]);
      if (is_attribute_char(byte)) {
        out_byte(static_cast<char>(byte));
        ++written;
      } else {
        out_escape('%', byte, false);
        written += 3;
      }
    }
    ++segment;
  } while (at < name.size());
}

}  // namespace

void write_disposition(std::string_view disposition, std::string_view filename) {
  out_text("Content-Disposition: ");
  out_text(disposition);
  if (needs_segments(filename)) {
    write_segments(filename);
  } else if (!filename.empty()) {
    std::string_view quote = needs_quotes(filename) ? "\"" : "";
    out_text("; filename=");
    out_text(quote);
    out_text(filename);
    out_text(quote);
  }
  out_byte('\n');
}
