#include "header_line.h"

#include <algorithm>

#include "output.h"
#include "qp.h"

namespace {

constexpr size_t kLineLimit = 78;
// A plain token this long could not be folded to fit a line of 998 bytes,
// so it is encoded, which lets it be split.
constexpr size_t kLongestPlainToken = 997;
// Encoded words are not started past this column, nor short ones where
// they would not fit before 65.
constexpr size_t kLastWordColumn = 60;
constexpr size_t kShortWord = 20;
constexpr size_t kShortWordEnd = 65;
constexpr std::string_view kWordOpen = " =?UTF-8?Q?";
constexpr std::string_view kWordClose = "?=";

struct Token {
  size_t begin = 0;  // its leading spaces, or the opening quote
  size_t end = 0;
  bool quoted = false;
  bool closed = false;  // a quoted token that has its closing quote
  bool encode = false;
};

struct LineState {
  size_t column = 0;
  bool previous_encoded = false;
  bool previous_quoted = false;
};

bool has_high_byte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) >= 0x7F; });
}

// The token whose first non-space byte is at or after pos (one exists).
Token next_token(std::string_view line, size_t pos) {
  Token token;
  size_t first = line.find_first_not_of(' ', pos);
  if (line[first] == '"') {
    // A backslash takes the next byte into the string.
    size_t end = first + 1;
    while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
    token.closed = end < line.size();
    token.begin = first;
    token.end = token.closed ? end + 1 : line.size();
    token.quoted = true;
    token.encode = has_high_byte(line.substr(first + 1, end - first - 1));
  } else {
    token.begin = pos;
    token.end = std::min(line.find(' ', first), line.size());
    token.encode = has_high_byte(line.substr(first, token.end - first));
  }
  token.encode = token.encode || token.end - token.begin > kLongestPlainToken;
  return token;
}

// Ends the output line, so that the next token starts a continuation line.
void fold(LineState &state) {
  if (state.column != 0) out_byte('\n');
  state.column = 0;
}

void write_encoded(std::string_view line, const Token &token, LineState &state) {
  size_t begin = token.begin;
  size_t end = token.end;
  if (token.quoted) {
    ++begin;
    if (token.closed) --end;
  } else if (!state.previous_encoded && line[begin] == ' ') {
    ++begin;  // the word brings its own separating space
  }
  std::string_view text = line.substr(begin, end - begin);
  size_t room = state.column <= kLastWordColumn ? (kShortWordEnd - state.column) / 3 : 0;
  // A word whose first character does not fit would be written empty.
  bool first_fits =
      text.empty() || qp_fits(static_cast<unsigned char>(text[0]),
                              static_cast<int>(state.column + kWordOpen.size()), kLineLimit, true);
  if (state.column > kLastWordColumn || (text.size() <= kShortWord && room <= text.size()) ||
      !first_fits)
    fold(state);
  out_text(kWordOpen);
  int column = encode_qp(text, kLineLimit, static_cast<int>(state.column + kWordOpen.size()));
  out_text(kWordClose);
  state.column = static_cast<size_t>(column) + kWordClose.size();
  state.previous_encoded = true;
  state.previous_quoted = token.quoted;
}

void write_plain(std::string_view line, const Token &token, LineState &state) {
  std::string_view text = line.substr(token.begin, token.end - token.begin);
  // A token joined to the quoted string before it has no blank to fold
  // at: it stays on the line, however long that gets.
  bool joined_to_quoted = text[0] != ' ' && state.previous_quoted && !state.previous_encoded &&
                          line[token.begin - 1] != ' ';
  if (!joined_to_quoted && state.column + text.size() >= kLineLimit) fold(state);
  // Spaces at the start of a continuation line would be taken for folding
  // white space; inside an encoded word they survive as "_".
  if (state.column <= 1 && text.starts_with("  ")) return write_encoded(line, token, state);
  if (text[0] != ' ' && !joined_to_quoted) {
    out_byte(' ');
    ++state.column;
  }
  out_text(text);
  state.column += text.size();
  state.previous_encoded = false;
  state.previous_quoted = token.quoted;
}

}  // namespace

void encode_header_line(std::string_view line) {
  if (line.empty()) return;
  if (line.back() == '\n') line.remove_suffix(1);
  LineState state;
  size_t pos = 0;
  bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
  if (!continuation) {
    size_t colon = line.find(':');
    pos = colon == std::string_view::npos ? line.size() : colon + 1;
    out_text(line.substr(0, pos));
    state.column = pos;
  }
  // A continuation line of blanks alone stays as it is: written as an
  // empty line, it would end the header section.
  if (continuation && line.find_first_not_of(" \t") == std::string_view::npos) {
    out_text(line);
    out_byte('\n');
    return;
  }
  while (line.find_first_not_of(' ', pos) != std::string_view::npos) {
    Token token = next_token(line, pos);
    if (token.encode)
      write_encoded(line, token, state);
    else
      write_plain(line, token, state);
    pos = token.end;
  }
  out_byte('\n');
}
