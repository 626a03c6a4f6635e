// The readers of the test text. Each one starts at the reading position,
// and after a token, identifier, number or string skips the blanks that
// follow, so the position always rests on something meaningful.
#include "lexer.h"

#include <cctype>
#include <cstdlib>
#include <new>

namespace {

bool is_space(char c) { return isspace(static_cast<unsigned char>(c)); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ident_start(char c) { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_ident_char(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Largest value that may take one more digit: the largest number read is
// 9223372036854775709.
constexpr int64_t kLastWithRoom = 922337203685477570;

struct SizeSuffix {
  char letter;
  int shift;
};
constexpr SizeSuffix kSizeSuffixes[] = {{'c', 0},  {'b', 9},  {'k', 10},
                                        {'M', 20}, {'G', 30}, {'T', 40}};

// The value of a string literal starting at the quote: its closing quote
// is the first one not followed by another, and "" inside stands for ".
// The literal is measured first, so the value is allocated once.
void read_literal(Parser &parser, std::string &value) {
  ParsePosition &at = parser.at;
  const char *p = at.pos + 1;
  size_t length = 0;
  for (;; ++p, ++length) {
    if (*p == '\0') {
      at.pos = p;
      parse_error_here(parser, "unterminated string");
    }
    if (*p == '"') {
      if (p[1] != '"') break;
      ++p;
    }
  }
  try {
    value.clear();
    value.reserve(length);
  } catch (const std::bad_alloc &) {
    parse_error_here(parser, "string too long");
  }
  for (const char *q = at.pos + 1; q < p; ++q) {
    value += *q;
    if (*q == '"') ++q;
  }
  at.pos = p + 1;
}

// The value of $NAME: a copy of the variable, or empty when it is unset.
void read_environment(Parser &parser, std::string &value) {
  ParsePosition &at = parser.at;
  const char *name = at.pos + 1;
  const char *end = name;
  while (is_ident_char(*end)) ++end;
  if (end == name) {
    at.pos = name;
    parse_error_here(parser, "invalid environment variable name");
  }
  const char *setting = getenv(std::string(name, end).c_str());
  value = setting ? setting : "";
  at.pos = end;
}

}  // namespace

void skip_blanks(ParsePosition &at) {
  for (;;) {
    for (; is_space(*at.pos); ++at.pos) {
      if (*at.pos == '\n') {
        ++at.line;
        at.line_start = at.pos + 1;
      }
    }
    if (*at.pos != '#') return;
    while (*at.pos != '\0' && *at.pos != '\n') ++at.pos;
    if (*at.pos != '\n') return;
  }
}

bool peek(const ParsePosition &at, std::string_view token) {
  // Compared in place: measuring the rest of the text would cost its whole
  // length for every token tried. Most tokens fail at the first byte.
  for (size_t i = 0; i < token.size(); ++i)
    if (at.pos[i] != token[i]) return false;  // the text's NUL stops the loop too
  return true;
}

bool accept(ParsePosition &at, std::string_view token) {
  if (!peek(at, token)) return false;
  at.pos += token.size();
  skip_blanks(at);
  return true;
}

std::string_view read_ident(ParsePosition &at) {
  if (!is_ident_start(*at.pos)) return {};
  const char *start = at.pos;
  while (is_ident_char(*at.pos)) ++at.pos;
  std::string_view ident(start, at.pos - start);
  skip_blanks(at);
  return ident;
}

bool read_number(Parser &parser, int64_t &value) {
  ParsePosition &at = parser.at;
  const char *p = at.pos;
  if (!is_digit(*p)) return false;
  int64_t number = 0;
  do number = number * 10 + (*p++ - '0');
  while (is_digit(*p) && number <= kLastWithRoom);
  if (is_digit(*p)) {
    const char *first = at.pos;
    at.pos = p;
    parse_error_here(parser, "number too big: %s", first);
  }
  for (const auto &suffix : kSizeSuffixes) {
    if (*p == suffix.letter) {
      // A shift with no overflow check, done unsigned to stay defined.
      number = static_cast<int64_t>(static_cast<uint64_t>(number) << suffix.shift);
      ++p;
      break;
    }
  }
  value = number;
  at.pos = p;
  skip_blanks(at);
  return true;
}

bool read_string(Parser &parser, std::string &value) {
  ParsePosition &at = parser.at;
  if (*at.pos == '"') {
    read_literal(parser, value);
  } else if (*at.pos == '$') {
    read_environment(parser, value);
  } else {
    return false;
  }
  skip_blanks(at);
  return true;
}
