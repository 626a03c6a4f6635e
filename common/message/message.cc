// The Message and its Header block: loaders, unfolding, lookups.
#include "message/message.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "util/files.h"

namespace {

constexpr size_t kReadStep = 4096;   // message_open grows its buffer by this much
constexpr size_t kFifoStep = 16384;  // message_open_full's first FIFO buffer and read size
constexpr size_t kKeySize = 256;     // header_find's key buffer
constexpr size_t kShortNeedle = 32;  // bytes_find compares at most this much per candidate
constexpr char kSeparatorCrlf[] = "\r\n\r\n";
constexpr char kSeparatorLf[] = "\n\n";

// Heap bytes from malloc/realloc, released with free on every early return.
struct FreeDeleter {
  void operator()(char *bytes) const { free(bytes); }
};
using HeapBytes = std::unique_ptr<char, FreeDeleter>;

bool grow(HeapBytes &buffer, size_t size) {
  char *bigger = static_cast<char *>(realloc(buffer.get(), size));
  if (!bigger) return false;
  buffer.release();
  buffer.reset(bigger);
  return true;
}

MessagePtr new_message() { return MessagePtr(new (std::nothrow) Message); }

// "/dev/stdin" (exactly) is a duplicate of descriptor 0. Anything else must
// be a regular file: it is opened without blocking and checked first, so
// that a FIFO, socket or device named in a maildir fails (EINVAL) instead
// of being waited for or read without end.
UniqueFd open_input(const char *path) {
  if (strcmp(path, "/dev/stdin") == 0) return UniqueFd(fcntl(0, F_DUPFD_CLOEXEC, 0));
  UniqueFd fd(open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status;
  if (!fd || fstat(fd.fd, &status) != 0) return UniqueFd();
  if (!S_ISREG(status.st_mode)) {
    errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    return UniqueFd();
  }
  return fd;  // O_NONBLOCK changes nothing for a regular file
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Lower-cases A to Z from p until a colon, an LF or end; returns where it stopped.
char *lower_name(char *p, char *end) {
  for (; p < end && *p != ':' && *p != '\n'; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  }
  return p;
}

}  // namespace

Message::~Message() {
  free(header_start);
  free(file_buffer);
}

const char *bytes_find(const char *haystack, size_t haystack_length, const char *needle,
                       size_t needle_length) {
  if (needle_length == 0) return haystack;
  if (needle_length > haystack_length) return nullptr;
  if (needle_length > kShortNeedle)
    return static_cast<const char *>(memmem(haystack, haystack_length, needle, needle_length));
  // Short needles (separators, header keys): the vectorised memchr finds
  // each candidate first byte, and at most kShortNeedle bytes are compared
  // there, so even a hostile haystack costs a small multiple of one scan.
  const char *last = haystack + (haystack_length - needle_length);
  for (const char *p = haystack; p <= last; ++p) {
    p = static_cast<const char *>(memchr(p, needle[0], static_cast<size_t>(last - p) + 1));
    if (!p) return nullptr;
    if (memcmp(p + 1, needle + 1, needle_length - 1) == 0) return p;
  }
  return nullptr;
}

bool crlf_detect(const char *bytes, size_t length) {
  const char *lf = length ? static_cast<const char *>(memchr(bytes, '\n', length)) : nullptr;
  return lf && lf > bytes && lf[-1] == '\r';
}

MessagePtr message_open(const char *path) {
  MessagePtr message = new_message();
  if (!message) return nullptr;
  UniqueFd fd = open_input(path);
  if (!fd) return nullptr;

  HeapBytes buffer;
  size_t capacity = 0, used = 0;
  const char *separator = nullptr;
  size_t separator_length = 0;
  char *section_end = nullptr;
  for (;;) {
    if (!grow(buffer, capacity + kReadStep)) return nullptr;
    capacity += kReadStep;
    ssize_t count = read(fd.fd, buffer.get() + used, capacity - used);
    if (count < 0) return nullptr;
    if (count == 0) {  // end of data: everything read is the header section
      section_end = buffer.get() + used;
      break;
    }
    if (!separator) {
      bool crlf = crlf_detect(buffer.get() + used, static_cast<size_t>(count));
      separator = crlf ? kSeparatorCrlf : kSeparatorLf;
      separator_length = crlf ? 4 : 2;
    }
    // The new bytes plus up to 3 before them, for a separator split across reads.
    size_t from = used >= 3 ? used - 3 : 0;
    used += static_cast<size_t>(count);
    const char *found = bytes_find(buffer.get() + from, used - from, separator, separator_length);
    if (found) {  // the section keeps the last header's line end
      section_end = buffer.get() + (found - buffer.get()) + separator_length / 2;
      break;
    }
  }
  fd.close();
  header_unfold(buffer.get(), section_end);
  message->header_start = buffer.release();
  message->header_end = section_end;
  return message;
}

MessagePtr message_from_memory(const char *data, size_t length) {
  MessagePtr message = new_message();
  if (!message) return nullptr;
  bool crlf = crlf_detect(data, length);
  const char *end = data + length;
  const char *found = bytes_find(data, length, crlf ? kSeparatorCrlf : kSeparatorLf, crlf ? 4 : 2);
  const char *section_end = found ? found : end;
  size_t section_length = static_cast<size_t>(section_end - data);
  HeapBytes copy(static_cast<char *>(malloc(section_length + 1)));
  if (!copy) return nullptr;
  if (section_length) memcpy(copy.get(), data, section_length);
  header_unfold(copy.get(), copy.get() + section_length);
  message->header_end = copy.get() + section_length;
  message->header_start = copy.release();
  message->body_start = found ? found + (crlf ? 4 : 2) : end;
  message->body_end = end;
  message->raw_start = data;
  return message;
}

MessagePtr message_open_full(const char *path) {
  int read_error = 0;
  MessagePtr message = message_read_full(path, read_error);
  if (read_error) {
    errno = read_error;
    perror("read");
  }
  return message;
}

MessagePtr message_read_full(const char *path, int &read_error) {
  read_error = 0;
  UniqueFd fd = open_input(path);
  if (!fd) return nullptr;
  struct stat status;
  if (fstat(fd.fd, &status) != 0) return nullptr;

  HeapBytes buffer;
  size_t used = 0;
  bool fifo = S_ISFIFO(status.st_mode);
  size_t capacity = fifo ? kFifoStep : static_cast<size_t>(status.st_size) + 1;
  if (!fifo && status.st_size < 0) return nullptr;
  if (!grow(buffer, capacity)) return nullptr;
  size_t limit = fifo ? 0 : static_cast<size_t>(status.st_size);
  for (;;) {
    size_t want = fifo ? kFifoStep : limit - used;
    if (want == 0) break;
    ssize_t count = read(fd.fd, buffer.get() + used, want);
    if (count < 0) {
      if (errno == EINTR) break;  // keep what has been read
      read_error = errno;
      return nullptr;
    }
    if (count == 0) break;
    used += static_cast<size_t>(count);
    if (fifo && capacity - used < kFifoStep) {
      if (!grow(buffer, capacity * 2)) return nullptr;
      capacity *= 2;
    }
  }
  fd.close();
  buffer.get()[used] = '\0';
  MessagePtr message = message_from_memory(buffer.get(), used);
  if (!message) return nullptr;
  message->file_buffer = buffer.release();
  return message;
}

void header_unfold(char *start, char *end) {
  *end = '\0';
  size_t length = static_cast<size_t>(end - start);
  for (char *p = start; (p = static_cast<char *>(memchr(p, '\0', end - p))) != nullptr; ++p) {
    *p = ' ';
  }
  if (length && memchr(start, '\r', length)) {
    for (char *p = start; p < end; ++p) {
      if (*p == '\r') *p = (p + 1 < end && p[1] == '\n') ? '\n' : ' ';
    }
  }
  // Only an entry that holds an LF needs entry_unfold, which would else
  // scan it byte by byte to find none; folded tracks whether this one does.
  char *entry = start;
  char *s = lower_name(start, end);
  bool folded = s < end && *s == '\n';  // a name scan stopped by its line end
  while (s < end) {
    char *lf = s + 1 < end ? static_cast<char *>(memchr(s + 1, '\n', end - (s + 1))) : nullptr;
    if (!lf) break;
    char *t = lf;
    while (t < end && *t == '\n') ++t;
    if (t < end && is_blank(*t)) {  // a continuation line
      folded = true;
      s = t;
      continue;
    }
    t[-1] = '\0';
    if (folded || t - 1 > lf) entry_unfold(entry, t - 1);
    entry = t;
    s = t < end ? lower_name(t, end) : t;
    folded = s < end && *s == '\n';
  }
  entry_unfold(entry, end);
}

void entry_unfold(char *start, char *end) {
  // The entry ends at its first NUL; the text between line breaks moves as
  // a whole.
  char *limit = static_cast<char *>(memchr(start, '\0', static_cast<size_t>(end - start)));
  if (!limit) limit = end;
  char *lf = static_cast<char *>(memchr(start, '\n', static_cast<size_t>(limit - start)));
  if (!lf) return;  // a single line keeps its trailing blanks
  char *w = lf, *r = lf;
  while (r < limit) {
    if (*r == '\n') {
      *w++ = ' ';
      while (is_space(*r) && r + 1 < limit) ++r;
      // Whitespace that ends the entry would be trimmed below; not copying it
      // keeps w from overtaking r.
      if (is_space(*r)) {
        ++r;
        break;
      }
      *w++ = *r++;
    }
    char *next = static_cast<char *>(memchr(r, '\n', static_cast<size_t>(limit - r)));
    size_t run = static_cast<size_t>((next ? next : limit) - r);
    memmove(w, r, run);
    w += run;
    r += run;
  }
  while (w > start && is_space(w[-1])) *--w = '\0';
  while (w < r) *w++ = '\0';
}

char *header_find(const Message *message, const char *name) {
  size_t length = strlen(name);
  if (length > kKeySize - 3) return nullptr;  // the key would not fit: no truncated match
  char key[kKeySize];
  key[0] = '\0';
  for (size_t i = 0; i < length; ++i) {
    char c = name[i];
    key[i + 1] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  key[length + 1] = ':';
  return header_find_raw(message, key, length + 2);
}

char *header_find_raw(const Message *message, const char *key, size_t key_length) {
  size_t size = message_header_size(message);
  if (!message->header_start || key_length == 0 || key_length - 1 > size) return nullptr;
  char *value;
  // A block that is exactly the key's name and colon (the only header, with
  // an empty value) matches too: its value is the NUL at header_end.
  if (memcmp(message->header_start, key + 1, key_length - 1) == 0) {
    value = message->header_start + key_length - 1;  // the first entry
  } else {
    const char *found = bytes_find(message->header_start, size, key, key_length);
    if (!found) return nullptr;
    value = message->header_start + (found - message->header_start) + key_length;
  }
  while (is_blank(*value)) ++value;
  return value;
}

char *header_next(const Message *message, const char *previous) {
  char *p = message->header_start;
  if (previous) {
    if (previous >= message->header_end) return nullptr;
    p += (previous - message->header_start) + strlen(previous);
  }
  while (p < message->header_end && *p == '\0') ++p;
  return p < message->header_end ? p : nullptr;
}

size_t message_header_size(const Message *message) {
  return static_cast<size_t>(message->header_end - message->header_start);
}

size_t message_body_size(const Message *message) {
  if (!message->body_start || !message->body_end) return 0;
  return static_cast<size_t>(message->body_end - message->body_start);
}
