// Per message: the flags in the file name, one header, every header, or
// the text bodies, each handed to match_value.
#include "search.h"

#include <cstring>

#include "message/address.h"
#include "message/decode.h"
#include "message/message.h"
#include "message/mime.h"
#include "util/display.h"
#include "util/flags.h"

namespace {

constexpr size_t kDecodedSize = 4096;  // -d decodes a value into this much

// Sequence lines are indented by thread depth; the file has no blanks.
const char *file_path(const char *name) { return name + strspn(name, " \t"); }

void search_flags(Search &search, const char *file) {
  if (const char *flags = flag_part(file)) match_value(search, file, "flags", flags);
}

void search_headers(Search &search, const char *file, const Message &message) {
  for (char *entry = header_next(&message, nullptr); entry; entry = header_next(&message, entry)) {
    char *colon = strchr(entry, ':');
    if (!colon) continue;
    *colon = '\0';  // the entry's name becomes the label for a moment
    char *value = colon + 1;
    if (*value == ' ') ++value;
    bool counted = search_value(search, file, entry, value);
    *colon = ':';
    if (counted && search.first_header) break;
  }
}

// Charsets whose text the expression can be matched against unconverted.
bool charset_searchable(const char *start, const char *end) {
  size_t length = static_cast<size_t>(end - start);
  for (const char *name : {"utf-8", "utf8", "us-ascii"}) {
    if (length == strlen(name) && ascii_caseless_equal(start, name, length)) return true;
  }
  return false;
}

// A text/plain part in a charset the expression can be matched against;
// a part without Content-Type, or without a charset, is one.
bool body_searchable(const char *type) {
  if (type && strncmp(type, "text/plain", 10) != 0) return false;
  const char *start, *end;
  return !mime_parameter(type, "charset", start, end) || charset_searchable(start, end);
}

// With --charsets every text/plain part is searched, converted where needed.
bool body_is_text(const char *type) { return !type || strncmp(type, "text/plain", 10) == 0; }

// Each CR, LF or the end of the body ends a line; lines of fewer than two
// bytes (such as the one between CR and LF) are not matched. The body is
// visited only once, so its line ends may become NULs.
void search_lines(Search &search, char *body, size_t length) {
  char *end = body + length;  // holds a NUL
  char *line = body;
  for (char *p = body;; ++p) {
    if (p != end && *p != '\r' && *p != '\n') continue;
    *p = '\0';
    if (p - line >= 2) match_value(search, search.file, "/", line);
    if (p == end) break;
    line = p + 1;
  }
}

}  // namespace

void search_message(Search &search, const char *file, MessageLoad &load) {
  if (!*search.header) return search_flags(search, file);
  if (strcmp(search.header, "/") == 0) return search_body(search, file, load);
  MessagePtr message = message_load_take(load, file_path(file), LoadExtent::header);
  if (!message) return;
  if (strcmp(search.header, "*") == 0) {
    search_headers(search, file, *message);
  } else if (char *value = header_find(message.get(), search.header)) {
    search_value(search, file, search.header, value);
  }
}

bool search_value(Search &search, const char *file, const char *label, char *value) {
  if (search.decode) {
    char decoded[kDecodedSize];
    decode_words(decoded, value, sizeof decoded, "UTF-8");
    line_flatten(decoded);  // one value per line, whatever was encoded
    return match_value(search, file, label, decoded);
  }
  if (search.address_mode) {
    const char *address;
    for (const char *p = value; (p = address_parse(p, nullptr, &address));) {
      if (address && match_value(search, file, label, address)) return true;
    }
    return false;
  }
  return match_value(search, file, label, value);
}

void search_body(Search &search, const char *file, MessageLoad &load) {
  MessagePtr message = message_load_take(load, file_path(file), LoadExtent::whole);
  if (!message) return;
  search.file = file;
  mime_walk(
      *message, 0,
      [&search](int depth, const Message &part, char *body, size_t length) {
        return body_visitor(search, depth, part, body, length);
      },
      search.charsets ? body_is_text : body_searchable);  // attachments are never decoded
}

int body_visitor(Search &search, int, const Message &part, char *body, size_t length) {
  const char *type = header_find_raw(&part, kContentTypeKey, kContentTypeKeyLength);
  if (type && strncmp(type, "text/plain", 10) != 0) return kMimeGoOn;
  const char *start, *end;
  if (mime_parameter(type, "charset", start, end) && !charset_searchable(start, end)) {
    std::string_view charset(start, static_cast<size_t>(end - start));
    if (!search.charsets ||
        !charset_convert(search.converters, charset, body, length, search.converted))
      return kMimeGoOn;
    body = search.converted.data();
    length = search.converted.size();
  }

  body[length] = '\0';  // the walk restores the byte it overwrites
  bool whole_body = (!search.header_output && !search.print_all) || search.count_only ||
                    search.only_matching || search.invert;
  if (whole_body) return match_value(search, search.file, "/", body) ? kMimeStop : kMimeGoOn;
  search_lines(search, body, length);
  return kMimeGoOn;
}
