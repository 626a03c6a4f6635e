// MIME structure walking over a Message and the parts that borrow its body.
#include "message/mime.h"

#include <cstring>
#include <string_view>

#include "message/decode.h"

namespace {

constexpr char kTransferEncoding[] = "\0content-transfer-encoding:";
constexpr char kMimeVersion[] = "\0mime-version:";
constexpr char kDefaultType[] = "text/plain; charset=US-ASCII";

// A key without the terminating NUL of its literal.
template <size_t N>
char *header_key(const Message &message, const char (&key)[N]) {
  return header_find_raw(&message, key, N - 1);
}

bool starts_with(const char *text, std::string_view prefix) {
  return strncmp(text, prefix.data(), prefix.size()) == 0;
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The visitor may overwrite the byte after the body; it can be the first
// "-" of the next delimiter, which the search for the next part needs.
int visit(const MimeVisitor &visitor, int depth, const Message &message, char *body,
          size_t length) {
  char after = body[length];
  int result = visitor(depth, message, body, length);
  body[length] = after;
  return result;
}

int walk_parts(const Message &message, int depth, const MimeVisitor &visitor, MimeWanted wanted) {
  int result = kMimeGoOn;
  MessagePtr part;
  while (mime_next_part(message, part)) {
    result = mime_walk(*part, depth + 1, visitor, wanted);
    if (result == kMimeStop) break;
  }
  return result;
}

int walk_enclosed(const char *body, size_t length, int depth, const MimeVisitor &visitor,
                  MimeWanted wanted) {
  MessagePtr enclosed = message_from_memory(body, length);
  return enclosed ? mime_walk(*enclosed, depth + 1, visitor, wanted) : kMimeGoOn;
}

// "--" + the container's boundary into delimiter; false when there is no
// boundary or the delimiter would not fit.
bool delimiter_build(const Message &message, char (&delimiter)[kDelimiterSize], size_t &length) {
  const char *start, *end;
  if (!mime_parameter(header_key(message, kContentTypeKey), "boundary", start, end)) return false;
  length = 2 + static_cast<size_t>(end - start);
  if (length > kDelimiterSize - 1) return false;
  delimiter[0] = delimiter[1] = '-';
  memcpy(delimiter + 2, start, length - 2);
  return true;
}

// The Message of the part [start, end). A part that begins with an empty
// line has no header lines and its whole text after that line is its
// body; message_from_memory would take its first paragraph for headers.
MessagePtr part_message(const char *start, const char *end) {
  size_t size = static_cast<size_t>(end - start);
  size_t blank = (size >= 1 && start[0] == '\n')                       ? 1
                 : (size >= 2 && start[0] == '\r' && start[1] == '\n') ? 2
                                                                       : 0;
  if (!blank) return message_from_memory(start, size);
  MessagePtr part = message_from_memory(start, 0);
  if (part) {
    part->body_start = start + blank;
    part->body_end = end;
  }
  return part;
}

// The end of a part that stops at next (the next delimiter, or the end of
// the body): before the line break in front of it.
const char *part_end(const char *start, const char *next) {
  if (next > start && next[-1] == '\n') {
    --next;
    if (next > start && next[-1] == '\r') --next;
  } else if (next > start && next[-1] == '\r') {
    --next;
  }
  return next;
}

// The content type lower-cased in place up to its ";", or the default.
const char *content_type(Message &message) {
  char *value = header_key(message, kContentTypeKey);
  if (!value) return kDefaultType;
  for (char *p = value; *p && *p != ';'; ++p) *p = ascii_lower(*p);
  return value;
}

// The body of a Message that has one, decoded from its transfer encoding.
void body_decode(Message &message, char *&body, size_t &length, std::unique_ptr<char[]> &decoded) {
  // Loaders keep bodies in writable buffers (the whole-file buffer, a
  // decoded body of the container); the visitor may write after the body.
  body = const_cast<char *>(message.body_start);
  length = static_cast<size_t>(message.body_end - message.body_start);
  const char *encoding = header_key(message, kTransferEncoding);
  if (!encoding) return;
  size_t decoded_length = 0;
  bool done = false;
  if (ascii_caseless_equal(encoding, "quoted-printable", 16)) {
    done = decode_qp(message.body_start, message.body_end, decoded, decoded_length, false);
  } else if (ascii_caseless_equal(encoding, "base64", 6)) {
    done = decode_base64(message.body_start, message.body_end, decoded, decoded_length);
  }
  if (done) {  // else unencoded, or no memory to decode: the raw body
    body = decoded.get();
    length = decoded_length;
  }
}

bool has_body(const Message &message) { return message.body_start && message.body_end; }

}  // namespace

bool ascii_caseless_equal(const char *a, const char *b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

bool mime_decode_body(Message &message, const char *&type, char *&body, size_t &length,
                      std::unique_ptr<char[]> &decoded) {
  decoded.reset();
  if (!has_body(message)) {
    type = nullptr;
    body = nullptr;
    length = 0;
    return false;
  }
  type = content_type(message);
  body_decode(message, body, length, decoded);
  return true;
}

int mime_walk(Message &message, int depth, const MimeVisitor &visitor, MimeWanted wanted) {
  if (depth > kMimeMaxDepth) return kMimeTooDeep;
  if (!has_body(message)) return kMimeGoOn;
  const char *type = content_type(message);
  bool multipart = starts_with(type, "multipart/");
  bool enclosed = starts_with(type, "message/rfc822");
  bool visited = !wanted || wanted(type);
  // A multipart body is split from the raw text, so an unvisited one is
  // never decoded; an enclosed message is walked from the decoded body.
  if (!visited && !enclosed)
    return multipart ? walk_parts(message, depth, visitor, wanted) : kMimeGoOn;
  char *body;
  size_t length;
  std::unique_ptr<char[]> decoded;  // released after the children, which may borrow it
  body_decode(message, body, length, decoded);
  if (visited) {
    if (int result = visit(visitor, depth, message, body, length)) return result;
  }
  if (multipart) return walk_parts(message, depth, visitor, wanted);
  if (enclosed) return walk_enclosed(body, length, depth, visitor, wanted);
  return kMimeGoOn;
}

bool mime_parameter(const char *value, const char *name, const char *&start, const char *&end) {
  const char *p = value ? strchr(value, ';') : nullptr;
  if (!p) return false;
  size_t name_length = strlen(name);
  for (++p;; ++p) {
    p += strspn(p, " \t");
    if (!*p) return false;
    if (ascii_caseless_equal(p, name, name_length) && p[name_length] == '=') break;
    p = strchr(p, ';');
    if (!p) return false;
  }
  const char *v = p + name_length + 1;
  if (!*v) return false;
  if (*v == '"') {
    const char *close = strchr(v + 1, '"');
    if (!close) return false;
    start = v + 1;
    end = close;
    return true;
  }
  start = v;
  end = v + strcspn(v, " \t;");
  return true;
}

const char *boundary_find(const char *start, size_t length, const char *delimiter,
                          size_t delimiter_length) {
  const char *end = start + length;
  for (const char *from = start; from < end; ++from) {
    const char *found =
        bytes_find(from, static_cast<size_t>(end - from), delimiter, delimiter_length);
    if (!found) return nullptr;
    const char *after = found + delimiter_length;
    if (after < end && (*after == '\r' || *after == '\n' || *after == '-')) return found;
    from = found;  // go on from the byte after the occurrence's first byte
  }
  return nullptr;
}

bool mime_next_part(const Message &message, MessagePtr &part) {
  if (!message.body_start || !message.body_end) return false;
  char delimiter[kDelimiterSize];
  size_t delimiter_length;
  if (!delimiter_build(message, delimiter, delimiter_length)) return false;
  const char *end = message.body_end;
  const char *from = part ? part->body_end : message.body_start;
  for (;;) {
    const char *found =
        boundary_find(from, static_cast<size_t>(end - from), delimiter, delimiter_length);
    if (!found) return false;
    const char *p = found + delimiter_length;
    if (p < end && *p == '\r') ++p;
    if (p >= end || *p != '\n') return false;  // a close delimiter, or a bare CR
    const char *start = p + 1;
    if (start >= end) return false;
    const char *next =
        boundary_find(start, static_cast<size_t>(end - start), delimiter, delimiter_length);
    if (next == start) {  // an empty part: the delimiter right after is the next one
      from = start;
      continue;
    }
    MessagePtr made = part_message(start, part_end(start, next ? next : end));
    if (!made) return false;
    part = std::move(made);
    return true;
  }
}

bool message_is_mime(const Message &message) {
  if (const char *version = header_key(message, kMimeVersion)) {
    if (starts_with(version, "1.0") &&
        (version[3] == '\0' || version[3] == ' ' || version[3] == '\t')) {
      return true;
    }
  }
  return header_key(message, kTransferEncoding) != nullptr;
}
