#include "charset.h"

#include <cerrno>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

iconv_t converter_for(CharsetConverters &converters, std::string_view charset) {
  std::string name(charset);
  for (char &c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const CharsetConverters::Entry &entry : converters.entries)
    if (entry.name == name) return entry.cd;
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  converters.entries.push_back({name, cd});
  return cd;
}

}  // namespace

CharsetConverters::~CharsetConverters() {
  for (const Entry &entry : entries)
    if (entry.cd != kNoConverter) iconv_close(entry.cd);
}

bool charset_convert(CharsetConverters &converters, std::string_view charset, const char *text,
                     size_t length, std::string &out) {
  iconv_t cd = converter_for(converters, charset);
  if (cd == kNoConverter) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a new text starts in the initial state

  // Most single-byte text grows by less than half; E2BIG grows the room.
  out.resize(length + length / 2 + 16);
  char *in = const_cast<char *>(text);
  size_t in_left = length;
  size_t written = 0;
  while (in_left > 0) {
    char *to = out.data() + written;
    size_t room = out.size() - written;
    size_t result = iconv(cd, &in, &in_left, &to, &room);
    written = out.size() - room;
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ, or EINVAL for a character cut off at the end: one byte is
    // replaced and skipped.
    if (out.size() - written < kReplacement.size()) out.resize(out.size() * 2);
    out.replace(written, kReplacement.size(), kReplacement);
    written += kReplacement.size();
    ++in;
    --in_left;
  }
  out.resize(written);
  return true;
}
