#include "copy.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>

#include "util/flags.h"

namespace {

constexpr std::string_view kSeparator = "From ";
constexpr std::string_view kStatusNames[] = {"status:", "x-status:"};
constexpr size_t kLongestPrefix = 9;  // "x-status:", the longest line start looked at

// The letters of a Status or X-Status header, the flag each one gives (in
// the order the flag part lists them) and where it is recorded.
struct StatusLetter {
  char status;
  char flag;  // 0: no flag, the letter only marks the message as old
  bool MboxMessage::*slot;
};
constexpr StatusLetter kStatusLetters[] = {
    {'F', 'F', &MboxMessage::flagged}, {'A', 'R', &MboxMessage::replied},
    {'R', 'S', &MboxMessage::seen},    {'D', 'T', &MboxMessage::trashed},
    {'O', 0, &MboxMessage::old},
};

constexpr bool flags_ascending() {
  char last = 0;
  for (const StatusLetter &letter : kStatusLetters) {
    if (letter.flag == 0) continue;
    if (letter.flag <= last || !is_maildir_flag(letter.flag)) return false;
    last = letter.flag;
  }
  return true;
}
static_assert(flags_ascending(), "status letters give maildir flags in ascending order");

int write_bytes(MessageWriter &out, std::string_view bytes) {
  if (out.head && out.head->size() < kHeadSize)
    out.head->append(bytes.substr(0, kHeadSize - out.head->size()));
  if (bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), out.stream) == bytes.size()) return 0;
  return -1;
}

// Consumes the rest of the current line, handing each piece to use.
// Returns 0 at the line's end or the input's, or -1 with errno.
template <typename Use>
int line_rest(InputReader &in, Use use) {
  std::string_view piece;
  for (;;) {
    int got = reader_piece(in, piece);
    if (got <= 0) return got;
    if (use(piece) != 0) return -1;
    if (piece.back() == '\n') return 0;
  }
}

int skip_line(InputReader &in) {
  return line_rest(in, [](std::string_view) { return 0; });
}

size_t status_name_length(std::string_view line) {
  for (std::string_view name : kStatusNames)
    if (line.size() >= name.size() && strncasecmp(line.data(), name.data(), name.size()) == 0)
      return name.size();
  return 0;
}

void record_status(std::string_view text, MboxMessage &message) {
  for (char c : text)
    for (const StatusLetter &letter : kStatusLetters)
      if (c == letter.status) message.*letter.slot = true;
}

// At a line that begins with ">": the run of ">" is counted rather than
// kept, however long it is, and written back one shorter when "From "
// follows it.
int copy_quotes(InputReader &in, MessageWriter &out) {
  size_t quotes = 0;
  for (;;) {
    ssize_t readable = reader_peek(in, 1);
    if (readable < 0) return -1;
    std::string_view rest = in.unread();
    size_t run = rest.find_first_not_of('>');
    if (run == std::string_view::npos) run = rest.size();
    quotes += run;
    reader_skip(in, run);
    if (readable == 0 || run < rest.size()) break;
  }
  if (reader_peek(in, kSeparator.size()) < 0) return -1;
  if (in.unread().starts_with(kSeparator)) --quotes;

  static constexpr char kQuotes[] = ">>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>>";
  while (quotes > 0) {
    size_t chunk = std::min(quotes, sizeof kQuotes - 1);
    if (write_bytes(out, {kQuotes, chunk}) != 0) return -1;
    quotes -= chunk;
  }
  return 0;
}

}  // namespace

std::string mbox_flags(const MboxMessage &message) {
  std::string flags;
  for (const StatusLetter &letter : kStatusLetters)
    if (letter.flag != 0 && message.*letter.slot) flags += letter.flag;
  return flags;
}

int copy_plain(InputReader &in, MessageWriter &out) {
  for (;;) {
    ssize_t readable = reader_peek(in, 1);
    if (readable <= 0) return static_cast<int>(readable);
    if (write_bytes(out, in.unread()) != 0) return -1;
    reader_skip(in, static_cast<size_t>(readable));
  }
}

int mbox_skip_to_first(InputReader &in) {
  for (;;) {
    ssize_t readable = reader_peek(in, kSeparator.size());
    if (readable < 0) return -1;
    if (readable == 0) {
      errno = EINVAL;
      return -1;
    }
    bool separator = in.unread().starts_with(kSeparator);
    if (skip_line(in) != 0) return -1;
    if (separator) return 0;
  }
}

int copy_mbox_message(InputReader &in, MessageWriter &out, MboxMessage &message) {
  message = {};
  bool in_header = true;
  bool blank_held = false;  // a blank line is written only once another line follows
  auto write = [&out](std::string_view piece) { return write_bytes(out, piece); };
  for (;;) {
    ssize_t readable = reader_peek(in, kLongestPrefix);
    if (readable <= 0) return static_cast<int>(readable);
    std::string_view line = in.unread();  // at least the first bytes of the line

    if (line.starts_with(kSeparator)) {
      message.more = true;
      return skip_line(in);
    }
    if (size_t name = in_header ? status_name_length(line) : 0) {
      reader_skip(in, name);
      auto record = [&message](std::string_view piece) {
        record_status(piece, message);
        return 0;
      };
      if (line_rest(in, record) != 0) return -1;
      continue;
    }
    if (line[0] == '\n') {
      reader_skip(in, 1);
      if (blank_held && write("\n") != 0) return -1;
      blank_held = true;
      in_header = false;
      continue;
    }
    if (blank_held) {
      if (write("\n") != 0) return -1;
      blank_held = false;
    }
    // A CR LF mbox ends its header section at an empty line of its own.
    if (line.starts_with("\r\n")) in_header = false;
    if (line[0] == '>' && copy_quotes(in, out) != 0) return -1;
    if (line_rest(in, write) != 0) return -1;
  }
}
