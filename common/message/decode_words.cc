// Encoded words in header values ("=?charset?Q?text?="), decoded and
// converted with iconv straight into the caller's fixed buffer.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "message/decode.h"

namespace {

// An iconv converter and the source character set it was opened for.
struct Converter {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  std::string name;

  Converter() = default;
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;
  ~Converter() { close(); }

  bool is_open() const { return cd != reinterpret_cast<iconv_t>(-1); }
  void close() {
    if (is_open()) iconv_close(cd);
    cd = reinterpret_cast<iconv_t>(-1);
  }
  // Opens a converter for the token's character set, its RFC 2231
  // language suffix ("utf-8*en") cut off.
  bool open(std::string_view token, const char *target) {
    close();
    name = token.substr(0, token.find('*'));
    cd = iconv_open(target, name.c_str());
    return is_open();
  }
};

enum class WordResult { kDecoded, kOutputFull, kError };

// State of one decode_words call: the output written so far, the open
// converter, and the bytes of an incomplete character that ended the
// previous word and wait for the next one.
struct WordDecoder {
  char *output;
  size_t size;
  const char *target;
  char *out;
  size_t room;
  Converter converter;
  std::unique_ptr<char[]> pending;
  size_t pending_count = 0;

  // One byte of the output stays free for the terminator.
  WordDecoder(char *output, size_t size, const char *target)
      : output(output), size(size), target(target), out(output), room(size - 1) {}

  // Copies up to n bytes while room lasts; returns how many.
  size_t copy(const char *from, size_t n) {
    n = std::min(n, room);
    memcpy(out, from, n);
    out += n;
    room -= n;
    return n;
  }
  // Copies the NUL-terminated text, leaving one byte of room free.
  void copy_tail(const char *from) {
    for (; *from && room > 1; --room) *out++ = *from++;
  }
  // Replaces whatever was written with the undecoded input.
  void copy_input(const char *input) {
    out = output;
    room = size - 1;
    copy_tail(input);
  }

  WordResult decode_word(const char *word, const char *&after);
  WordResult convert(std::unique_ptr<char[]> bytes, size_t count);
};

bool is_blank_gap(std::string_view gap) {
  return gap.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Decodes the word's text as the letter says into a new buffer; a buffer
// that cannot be allocated leaves bytes empty and the word adds nothing.
bool decode_text(char letter, const char *text, const char *end, std::unique_ptr<char[]> &bytes,
                 size_t &count) {
  count = 0;
  if (letter == 'q' || letter == 'Q') {
    decode_qp(text, end, bytes, count, true);
  } else if (letter == 'b' || letter == 'B') {
    decode_base64(text, end, bytes, count);
  } else {
    return false;
  }
  return true;
}

// Decodes the encoded word at word ("=?...") into the output; on success
// after points just past its "?=".
WordResult WordDecoder::decode_word(const char *word, const char *&after) {
  const char *charset = word + 2;
  const char *question = strchr(charset, '?');
  if (!question) return WordResult::kError;
  std::string_view token(charset, question - charset);
  if (!converter.is_open() || converter.name != token) {
    // Pending bytes belong to the old character set and cannot carry over.
    if (pending_count > 0 || !converter.open(token, target)) return WordResult::kError;
  }
  char letter = question[1];
  if (letter == '\0' || question[2] != '?') return WordResult::kError;
  const char *text = question + 3;
  const char *end = strstr(text, "?=");
  if (!end) return WordResult::kError;
  std::unique_ptr<char[]> bytes;
  size_t count;
  if (!decode_text(letter, text, end, bytes, count)) return WordResult::kError;

  if (pending_count > 0) {
    std::unique_ptr<char[]> joined(new (std::nothrow) char[pending_count + count]);
    if (!joined) return WordResult::kError;
    memcpy(joined.get(), pending.get(), pending_count);
    if (count > 0) memcpy(joined.get() + pending_count, bytes.get(), count);
    bytes = std::move(joined);
    count += pending_count;
    pending.reset();
    pending_count = 0;
  }
  WordResult result = convert(std::move(bytes), count);
  if (result == WordResult::kDecoded) after = end + 2;
  return result;
}

// Converts count decoded bytes into the output.
WordResult WordDecoder::convert(std::unique_ptr<char[]> bytes, size_t count) {
  if (count == 0) return WordResult::kDecoded;  // a null input would reset iconv
  char *in = bytes.get();
  size_t in_left = count;
  if (iconv(converter.cd, &in, &in_left, &out, &room) != static_cast<size_t>(-1)) {
    copy(in, in_left);
    return WordResult::kDecoded;
  }
  switch (errno) {
    case E2BIG:
      return WordResult::kOutputFull;
    case EINVAL:
      // The bytes end inside a character: keep its start for the next word.
      pending.reset(new (std::nothrow) char[in_left]);
      if (!pending) return WordResult::kError;
      memcpy(pending.get(), in, in_left);
      pending_count = in_left;
      return WordResult::kDecoded;
    case EILSEQ:
      return WordResult::kError;
    default:
      perror("iconv");
      return WordResult::kError;
  }
}

}  // namespace

bool decode_words(char *output, const char *input, size_t size, const char *target) {
  if (size == 0) return false;
  WordDecoder decoder(output, size, target);
  const char *position = input;
  bool failed = false;
  for (const char *word = strstr(position, "=?"); word; word = strstr(position, "=?")) {
    // White space between encoded words (or before the first) is dropped;
    // other text is copied, but it cannot split a pending character.
    std::string_view gap(position, word - position);
    if (!is_blank_gap(gap)) {
      if (decoder.pending_count > 0) {
        failed = true;
        break;
      }
      position += decoder.copy(position, gap.size());
    }
    if (decoder.room == 0) break;
    const char *after;
    WordResult result = decoder.decode_word(word, after);
    if (result != WordResult::kDecoded) {
      failed = result == WordResult::kError;
      break;
    }
    position = after;
    if (decoder.room == 0) break;
  }

  if (failed) {
    fputs("error decoding rfc2047\n", stderr);
    decoder.copy_input(input);
  } else {
    decoder.copy_tail(position);
    // A NUL would cut the text short for every reader: keep the input.
    if (memchr(output, '\0', decoder.out - output)) decoder.copy_input(input);
  }
  *decoder.out = '\0';
  return true;
}
