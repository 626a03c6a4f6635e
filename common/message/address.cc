// Address parsing: a forgiving tokenizer that yields one mailbox per call.
// Whatever it cannot place ends up in the display name; it never fails.
#include "message/address.h"

#include <cstring>

namespace {

// The process-wide results, emptied at the start of every call.
char display_result[kAddressBufferSize];
char address_result[kAddressBufferSize];

// Characters of a local part that make it need double quotes.
constexpr char kLocalSpecials[] = "()<>[]:;@\\,\" \t";

// A bounded byte collector: the token and the scratch buffer of one call.
// The token keeps up to 1024 bytes; the scratch buffer, a C string in
// 1024 bytes, up to 1023.
struct Collector {
  char bytes[kAddressBufferSize];
  size_t length = 0;
  size_t limit;

  explicit Collector(size_t capacity) : limit(capacity) {}
  bool full() const { return length >= limit; }
  void add(char c) {
    if (!full()) bytes[length++] = c;
  }
  void add(const char *first, size_t count) {
    for (size_t i = 0; i < count; ++i) add(first[i]);
  }
  void clear() { length = 0; }
  bool empty() const { return length == 0; }
  bool contains(char c) const { return memchr(bytes, c, length) != nullptr; }
  const char *end() const { return bytes + length; }
};

// The end of a comment that starts at p (an opening parenthesis):
// just after the closing parenthesis that brings the depth back to zero,
// or the end of the text.
const char *comment_end(const char *p) {
  int depth = 0;
  for (; *p; ++p) {
    if (*p == '(')
      ++depth;
    else if (*p == ')' && --depth == 0)
      return p + 1;
  }
  return p;
}

// A quoted string starting after its opening quote at p. Copies the
// content into scratch (skipping what does not fit) and returns the
// position after the closing quote, or the end of the text.
const char *quoted_string(const char *p, Collector &scratch) {
  while (*p && *p != '"') {
    if (*p == '\\' && p[1]) ++p;  // the escaped character instead of the backslash
    scratch.add(*p++);
  }
  return *p == '"' ? p + 1 : p;
}

// An angle address starting after its less-than sign at p. Collects
// into scratch; once scratch is full the rest of the angle address is
// skipped by the same rules without collecting. Returns the position after
// the greater-than sign, or the end of the text.
const char *angle_address(const char *p, Collector &scratch) {
  bool overflow = false;
  while (*p && *p != '>') {
    char c = *p;
    if (c == ' ' || c == '\t') {
      ++p;
    } else if (c == '(') {
      p = comment_end(p);
    } else if (c == '"') {
      ++p;
      while (*p && *p != '"') {
        if (*p == '\\') {
          if (!p[1]) {  // a final backslash is copied itself and ends the string
            if (!overflow) scratch.add(*p);
            ++p;
            break;
          }
          ++p;
        }
        if (!overflow) scratch.add(*p);
        ++p;
      }
      if (*p == '"') ++p;
    } else if (c == ':' || c == '<') {
      if (!overflow) scratch.clear();  // a source route vanishes
      ++p;
    } else {
      if (!overflow) scratch.add(c);
      ++p;
    }
    if (scratch.full()) overflow = true;
  }
  return *p == '>' ? p + 1 : p;
}

size_t append(char *buffer, const char *first, const char *end) {
  return buffer_append(buffer, first, end);
}

void append_text(char *buffer, const char *text) { append(buffer, text, text + strlen(text)); }

// Appends text to the display name, after a space when it is not empty.
void display_append(const char *first, const char *end) {
  if (display_result[0]) append_text(display_result, " ");
  append(display_result, first, end);
}

// Puts the local part in double quotes when it holds a special
// character, provided the quoted address fits in 1021 bytes.
void quote_local_part() {
  char *at = strrchr(address_result, '@');
  if (!at) return;
  bool special = false;
  for (const char *p = address_result; p < at; ++p) {
    if (strchr(kLocalSpecials, *p)) {
      special = true;
      break;
    }
  }
  if (!special) return;
  char quoted[2 * kAddressBufferSize + 4];
  size_t n = 0;
  quoted[n++] = '"';
  for (const char *p = address_result; p < at; ++p) {
    if (*p == '"' || *p == '\\') quoted[n++] = '\\';
    quoted[n++] = *p;
  }
  quoted[n++] = '"';
  size_t rest = strlen(at);
  memcpy(quoted + n, at, rest);
  n += rest;
  if (n > 1021) return;
  memcpy(address_result, quoted, n);
  address_result[n] = '\0';
}

const char *finish(const char *position, const char **display_name, const char **address) {
  quote_local_part();
  if (display_name) *display_name = display_result[0] ? display_result : nullptr;
  if (address) *address = address_result[0] ? address_result : nullptr;
  return position;
}

// The word being read: quoted strings and escaped bytes join it directly.
struct Word {
  Collector token{kAddressBufferSize};
  bool quoted_at = false;  // an at sign came from a quoted string

  void clear() {
    token.clear();
    quoted_at = false;
  }
  // A finished word: the address if it is the first bare word with an at
  // sign, else part of the display name.
  void flush() {
    if (!address_result[0] && !quoted_at && token.contains('@')) {
      append(address_result, token.bytes, token.end());
    } else {
      display_append(token.bytes, token.end());
    }
    clear();
  }
};

// A comment starting at p is never part of the word: it joins the display
// name, or becomes it (without its parentheses) after a bare address.
const char *comment_take(const char *p) {
  const char *end = comment_end(p);
  if (display_result[0]) {
    display_append(p, end);
  } else if (address_result[0]) {
    const char *content_end = (end > p + 1 && end[-1] == ')') ? end - 1 : end;
    append(display_result, p + 1, content_end);
  }
  return end;
}

// The angle address after p ("<" skipped) becomes the address; a bare
// address seen before it moves to the display name.
const char *angle_take(const char *p, Collector &scratch) {
  scratch.clear();
  p = angle_address(p, scratch);
  if (address_result[0]) {
    display_append(address_result, address_result + strlen(address_result));
    address_result[0] = '\0';
  }
  append(address_result, scratch.bytes, scratch.end());
  return p;
}

}  // namespace

size_t buffer_append(char *buffer, const char *first, const char *end) {
  size_t length = strnlen(buffer, kAddressBufferSize);
  if (length >= kAddressBufferSize) return 0;
  size_t room = kAddressBufferSize - 1 - length;
  size_t count = end > first ? static_cast<size_t>(end - first) : 0;
  if (count > room) count = room;
  if (count) memcpy(buffer + length, first, count);
  buffer[length + count] = '\0';
  return count;
}

const char *address_parse(const char *text, const char **display_name, const char **address) {
  display_result[0] = '\0';
  address_result[0] = '\0';
  Word word;
  Collector scratch(kAddressBufferSize - 1);

  const char *p = text;
  while (*p) {
    char c = *p;
    if (c == ' ' || c == '\t' || c == ',' || c == ';') {  // separators
      if (!word.token.empty()) word.flush();
      ++p;
      if ((c == ',' || c == ';') && (display_result[0] || address_result[0])) {
        return finish(p, display_name, address);
      }
    } else if (c == '"') {  // joins the token directly
      scratch.clear();
      p = quoted_string(p + 1, scratch);
      word.token.add(scratch.bytes, scratch.length);
      if (scratch.contains('@')) word.quoted_at = true;
    } else if (c == '(') {
      p = comment_take(p);
    } else if (c == '<') {  // the word is not flushed
      p = angle_take(p + 1, scratch);
    } else if (c == ':' && !word.token.contains('[')) {  // a group's name ends
      display_result[0] = '\0';
      address_result[0] = '\0';
      word.clear();
      ++p;
    } else if (c == '\\') {  // an escaped character
      if (p[1]) ++p;
      word.token.add(*p++);
    } else {  // any other byte (and a colon inside a domain literal)
      word.token.add(c);
      ++p;
    }
  }
  // The end of the text.
  if (!word.token.empty()) word.flush();
  if (!display_result[0] && !address_result[0]) {
    if (display_name) *display_name = nullptr;
    if (address) *address = nullptr;
    return nullptr;
  }
  return finish(p, display_name, address);
}
