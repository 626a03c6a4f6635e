// qxwho's per-message work: look up, parse, decode, print.
#include "who.h"

#include <cstring>

#include "message/address.h"
#include "message/decode.h"
#include "message/message.h"
#include "util/display.h"

namespace {

constexpr size_t kDecodedSize = 16384;
constexpr char kNeedsQuoting[] = "()<>[]:;@\\,.\"";

// The display name decoded to UTF-8; one per process, like the results of
// address_parse it decodes.
char decoded[kDecodedSize];

void mailbox_print(FILE *out, const char *display, const char *address, WhoMode mode) {
  if (display) {
    decode_words(decoded, display, kDecodedSize - 1, "UTF-8");
    decoded[kDecodedSize - 1] = '\0';
    line_flatten(decoded);  // one mailbox per line, whatever was encoded
    display = decoded;
    if (address && strcmp(address, display) == 0) display = nullptr;
  }
  switch (mode) {
    case WhoMode::Both:
      if (!address) return;
      if (display) {
        name_print(out, display);
        fputs(" <", out);
        display_write(out, address);
        fputs(">\n", out);
      } else {
        display_line(out, address);
      }
      return;
    case WhoMode::Addresses:
      if (address) display_line(out, address);
      return;
    case WhoMode::Names:
      if (display) {
        name_print(out, display);
        fputc('\n', out);
      }
      return;
  }
}

void header_print(FILE *out, const char *value, WhoMode mode) {
  const char *display, *address;
  while ((value = address_parse(value, &display, &address)) != nullptr) {
    mailbox_print(out, display, address, mode);
  }
}

}  // namespace

bool name_needs_quoting(const char *name) {
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) {
    if (*p < 0x20 || strchr(kNeedsQuoting, *p)) return true;
  }
  return false;
}

void name_print(FILE *out, const char *name) {
  if (!name_needs_quoting(name)) {
    display_write(out, name);
    return;
  }
  fputc('"', out);
  for (const char *p = name; *p;) {
    size_t plain = strcspn(p, "\"\\");
    display_write(out, std::string_view(p, plain));
    p += plain;
    if (!*p) break;
    fputc('\\', out);
    fputc(*p++, out);
  }
  fputc('"', out);
}

void who_one(FILE *out, const char *name, MessageLoad &load, char *headers, WhoMode mode) {
  name += strspn(name, " \t");
  MessagePtr message = message_load_take(load, name, LoadExtent::header);
  if (!message) return;
  char *header = headers;
  while (*header) {  // an empty rest after a colon ends the list
    char *colon = strchr(header, ':');
    if (colon) *colon = '\0';
    const char *value = header_find(message.get(), header);
    if (colon) *colon = ':';
    if (value) header_print(out, value, mode);
    if (!colon) break;  // a last name without its colon
    header = colon + 1;
  }
}
