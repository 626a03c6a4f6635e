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
      if (byte <= 0x20 || byte >= 0x7F || byte == '"') {
        out_escape('%', byte, false);
        written += 3;
      } else {
        out_byte(static_cast<char>(byte));
        ++written;
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
