#include "qp.h"

#include <algorithm>

#include "output.h"

namespace {

// Columns a byte needs before the next line break: its own escape, plus
// the escapes of the continuation bytes a UTF-8 lead byte announces.
constexpr int reserved_columns(unsigned char byte) {
  if ((byte & 0xE0) == 0xC0) return 6;
  if ((byte & 0xF0) == 0xE0) return 9;
  if ((byte & 0xF8) == 0xF0) return 12;
  return 3;
}

// Bytes that stand for themselves inside a "Q" word.
constexpr bool is_word_literal(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '!' || byte == '*' || byte == '+' || byte == '-' ||
         byte == '/';
}

int escape(unsigned char byte, int column) {
  out_escape('=', byte, true);
  return column + 3;
}

int literal(unsigned char byte, int column) {
  out_byte(static_cast<char>(byte));
  return column + 1;
}

int put_word_byte(unsigned char byte, int column) {
  if (byte == ' ') return literal('_', column);
  return is_word_literal(byte) ? literal(byte, column) : escape(byte, column);
}

// Writes data[at] in body mode. At the start of an output line, "From "
// and a "." alone on its line are escaped, so that mbox writers and SMTP
// do not alter them; blanks before a line end are escaped so that they
// survive transports that strip trailing white space.
int put_body_byte(std::string_view data, size_t at, int column) {
  auto byte = static_cast<unsigned char>(data[at]);
  bool has_next = at + 1 < data.size();
  char next = has_next ? data[at + 1] : '\0';
  bool next_ends_line = has_next && (next == '\n' || next == '\r');
  if (column == 0) {
    if (data.substr(at).starts_with("From ")) return escape(byte, column);
    if (byte == '.') return next_ends_line ? escape(byte, column) : literal(byte, column);
  }
  if (byte == '\n') {
    out_byte('\n');
    return 0;
  }
  if (byte == ' ' || byte == '\t')
    return has_next && !next_ends_line ? literal(byte, column) : escape(byte, column);
  if (byte >= 0x21 && byte <= 0x7E) return literal(byte, column);
  return escape(byte, column);
}

}  // namespace

bool qp_fits(unsigned char byte, int column, int limit, bool header_mode) {
  return column < limit - static_cast<int>(header_mode) - reserved_columns(byte);
}

namespace {

// An encoded word is at most 75 characters long (RFC 2047), its opening
// "=?UTF-8?Q?" and closing "?=" included; it starts one column after the
// blank before it.
constexpr int kLongestWord = 75;
constexpr int kWordOpening = 11;          // " =?UTF-8?Q?"
constexpr int kWordStart = kWordOpening;  // the column after a fold and a new opening

// The column limit inside the word whose text starts at column: the line's
// limit, or less where the word would otherwise grow past 75 characters.
int word_limit(int limit, int column) {
  return std::min(limit, column - kWordOpening + 1 + kLongestWord);
}

// Writes the first count bytes of data; the bytes after them are looked
// at only.
int qp_write(std::string_view data, size_t count, int limit, int column, bool header_mode) {
  int line_limit = header_mode ? word_limit(limit, column) : limit;
  for (size_t at = 0; at < count; ++at) {
    auto byte = static_cast<unsigned char>(data[at]);
    if (!qp_fits(byte, column, line_limit, header_mode)) {
      out_text(header_mode ? "?=\n =?UTF-8?Q?" : "=\n");
      column = header_mode ? kWordStart : 0;
      line_limit = header_mode ? word_limit(limit, column) : limit;
    }
    if (byte >= 0x7F || byte == '=')
      column = escape(byte, column);
    else if (header_mode)
      column = put_word_byte(byte, column);
    else
      column = put_body_byte(data, at, column);
  }
  return column;
}

}  // namespace

int encode_qp_body(std::string_view data, size_t count, int limit, int column) {
  return qp_write(data, count, limit, column, false);
}

void qp_body_end(int column) {
  if (column != 0) out_text("=\n");
}

int encode_qp(std::string_view data, int limit, int column) {
  const bool header_mode = column != 0;
  column = qp_write(data, data.size(), limit, column, header_mode);
  if (header_mode) return column;
  qp_body_end(column);
  return 0;
}
