#include "display.h"

#include <unistd.h>

#include <array>
#include <cstdint>

#include "finish.h"

namespace {

// What a byte is where a character may start.
enum class ByteKind : uint8_t {
  Plain,    // printable ASCII and TAB: written as is
  Control,  // the other C0 controls and DEL: caret notation
  Newline,  // LF
  Return,   // CR
  Lead2,    // starts a two-byte UTF-8 sequence
  Lead3,    // starts a three-byte sequence
  Lead4,    // starts a four-byte sequence
  Invalid,  // a stray continuation byte (raw C1 among them), 0xC0, 0xC1, 0xF5 to 0xFF
};

constexpr std::array<ByteKind, 256> kByteKinds = [] {
  std::array<ByteKind, 256> kinds{};
  for (int byte = 0; byte < 256; ++byte) {
    ByteKind kind = ByteKind::Invalid;
    if (byte == '\t' || (byte >= 0x20 && byte < 0x7f))
      kind = ByteKind::Plain;
    else if (byte < 0x20 || byte == 0x7f)
      kind = ByteKind::Control;
    else if (byte >= 0xc2 && byte <= 0xdf)
      kind = ByteKind::Lead2;
    else if (byte >= 0xe0 && byte <= 0xef)
      kind = ByteKind::Lead3;
    else if (byte >= 0xf0 && byte <= 0xf4)
      kind = ByteKind::Lead4;
    kinds[byte] = kind;
  }
  kinds['\n'] = ByteKind::Newline;
  kinds['\r'] = ByteKind::Return;
  return kinds;
}();

// Code points a terminal acts on: the C1 controls and the bidirectional
// embeddings, overrides and isolates.
struct CodePointRange {
  char32_t first, last;
};
constexpr CodePointRange kShownAsEscape[] = {
    {0x80, 0x9f},
    {0x202a, 0x202e},
    {0x2066, 0x2069},
};

constexpr bool ranges_checked() {
  char32_t last = 0x7f;  // the ranges lie past ASCII, ordered and apart
  for (const CodePointRange &range : kShownAsEscape) {
    if (range.first <= last || range.last < range.first) return false;
    last = range.last;
  }
  return true;
}
static_assert(ranges_checked(), "escaped code point ranges ascend without overlap");
static_assert(kByteKinds[0x1b] == ByteKind::Control && kByteKinds[0x9b] == ByteKind::Invalid &&
                  kByteKinds[0xc1] == ByteKind::Invalid && kByteKinds[0xf5] == ByteKind::Invalid,
              "controls, stray C1 bytes and bytes that never start UTF-8 are told apart");

bool shown_as_escape(char32_t code_point) {
  for (const CodePointRange &range : kShownAsEscape)
    if (code_point >= range.first && code_point <= range.last) return true;
  return false;
}

bool is_continuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }

// The length of the valid UTF-8 sequence at text[at] (its lead byte of
// the given kind), or 0; the code point goes to code_point.
size_t sequence_length(std::string_view text, size_t at, ByteKind kind, char32_t &code_point) {
  size_t length = kind == ByteKind::Lead2 ? 2 : kind == ByteKind::Lead3 ? 3 : 4;
  if (text.size() - at < length) return 0;
  auto lead = static_cast<unsigned char>(text[at]);
  auto second = static_cast<unsigned char>(text[at + 1]);
  // The second byte's range excludes overlong forms, surrogates and
  // code points past U+10FFFF.
  unsigned char low = 0x80, high = 0xbf;
  if (lead == 0xe0) low = 0xa0;
  if (lead == 0xed) high = 0x9f;
  if (lead == 0xf0) low = 0x90;
  if (lead == 0xf4) high = 0x8f;
  if (second < low || second > high) return 0;
  code_point = lead & (length == 2 ? 0x1f : length == 3 ? 0x0f : 0x07);
  for (size_t i = 1; i < length; ++i) {
    auto byte = static_cast<unsigned char>(text[at + i]);
    if (!is_continuation(byte)) return 0;
    code_point = (code_point << 6) | (byte & 0x3f);
  }
  return length;
}

void append_visible(std::string &out, std::string_view text, bool keep_newline) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (size_t at = 0; at < text.size();) {
    auto byte = static_cast<unsigned char>(text[at]);
    ByteKind kind = kByteKinds[byte];
    if (kind == ByteKind::Plain || (kind == ByteKind::Newline && keep_newline) ||
        (kind == ByteKind::Return && keep_newline && at + 1 < text.size() &&
         text[at + 1] == '\n')) {
      out += static_cast<char>(byte);
      ++at;
      continue;
    }
    if (kind == ByteKind::Control || kind == ByteKind::Newline || kind == ByteKind::Return) {
      out += '^';
      out += static_cast<char>(byte == 0x7f ? '?' : byte + 0x40);
      ++at;
      continue;
    }
    char32_t code_point = 0;
    size_t length = kind == ByteKind::Invalid ? 0 : sequence_length(text, at, kind, code_point);
    if (length == 0) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
      ++at;
    } else if (shown_as_escape(code_point)) {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code_point >> shift) & 0xf];
      at += length;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
}

bool stdout_is_terminal() {
  static const bool terminal = isatty(STDOUT_FILENO) == 1;
  return terminal;
}

int write_all(FILE *out, std::string_view text) {
  return fwrite(text.data(), 1, text.size(), out) == text.size() ? 0 : EOF;
}

}  // namespace

int display_write(FILE *out, std::string_view text) {
  if (out == stdout && stdout_is_terminal()) return display_visible(out, text);
  return write_all(out, text);
}

int display_line(FILE *out, std::string_view text) {
  if (display_write(out, text) == EOF) return EOF;
  return putc('\n', out) == EOF ? EOF : 0;
}

int display_visible(FILE *out, std::string_view text, bool keep_newline) {
  std::string visible;
  visible.reserve(text.size());
  append_visible(visible, text, keep_newline);
  return write_all(out, visible);
}

std::string display_escaped(std::string_view text) {
  std::string visible;
  append_visible(visible, text, false);
  return visible;
}

void newline_name_skipped(const char *folder, const char *name) {
  fprintf(stderr, "%s: %s: skipped a name holding a newline: %s\n", tool_name(),
          display_escaped(folder).c_str(), display_escaped(name).c_str());
}

void line_flatten(char *text) {
  for (char *p = text; *p; ++p)
    if (*p == '\r' || *p == '\n') *p = ' ';
}
