// MIME structure walking: visits a message, the parts of its multipart
// bodies and the messages enclosed in message/rfc822 bodies, depth first,
// each with its body decoded from its Content-Transfer-Encoding. Parts are
// Messages that borrow the enclosing body; only their headers are copied.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "message/message.h"

// The deepest depth visited; a Message below it is not visited.
constexpr int kMimeMaxDepth = 64;
// The delimiter "--" + boundary must fit this buffer with room to spare
// (at most 255 bytes, so boundaries of up to 253 bytes).
constexpr size_t kDelimiterSize = 256;

// The header_find_raw key of the Content-Type header, and its length.
inline constexpr char kContentTypeKey[] = "\0content-type:";
constexpr size_t kContentTypeKeyLength = sizeof kContentTypeKey - 1;

// What a visitor returns to steer the walk and what a walk yields. A
// visitor may return other nonzero values too: they skip the Message's
// children and are passed up as mime_walk describes.
enum MimeWalkResult : int {
  kMimeGoOn = 0,     // walk on into the Message's parts or enclosed message
  kMimeStop = 1,     // stop the whole walk
  kMimeTooDeep = 2,  // a Message below kMimeMaxDepth, not visited
};

// Called once per visited Message with its depth and its body: decoded
// (quoted-printable, base64) or raw. The byte at body[length] is writable
// and may be overwritten, e.g. with a NUL; the walker restores it after the
// call. kMimeGoOn asks for the Message's parts or enclosed message;
// anything else is returned at once and the children are skipped. Nothing the visitor
// receives may be kept after it returns.
using MimeVisitor =
    std::function<int(int depth, const Message &message, char *body, size_t length)>;

// Decides from a content type whether its Message's body is visited.
using MimeWanted = bool (*)(const char *type);

// Walks message at depth with visitor. Returns kMimeTooDeep when depth is
// beyond kMimeMaxDepth (nothing visited), kMimeGoOn for a Message without
// a body, the visitor's result when not kMimeGoOn, else the result of the
// last child walk (kMimeGoOn without children). A child walk that yields
// kMimeStop ends the walk of its container, which then yields kMimeStop
// too, so kMimeStop ends the whole walk.
// Lower-cases the content types of the visited Messages in place. The
// message's bytes up to and including the byte after its body must be
// writable, as they are for message_open_full.
// With wanted, only the Messages whose content type (lower-cased, or the
// default "text/plain; charset=US-ASCII") it accepts are decoded and
// visited; the others count as visited with 0, so the visitor must give
// 0 for each of them, and the walk still goes into their parts.
int mime_walk(Message &message, int depth, const MimeVisitor &visitor, MimeWanted wanted = nullptr);

// The content type (the "content-type" value lower-cased in place up to
// its ";", or "text/plain; charset=US-ASCII" when absent) and the body,
// decoded into decoded when the transfer encoding is quoted-printable or
// base64, else raw in place (also when the decoder cannot allocate).
// Returns false, with a null body and type, when the Message has no body.
bool mime_decode_body(Message &message, const char *&type, char *&body, size_t &length,
                      std::unique_ptr<char[]> &decoded);

// Finds the parameter name (any case, "=" right after it) in a header
// value after its first ";" and stores its value's bounds inside value
// (end exclusive; quotes excluded, no escapes). Returns false when absent,
// unterminated by its quote, or when value is null.
bool mime_parameter(const char *value, const char *name, const char *&start, const char *&end);

// Stores the next part of the multipart message in part, which holds the
// previous part (or null for the first). Parts are found in the raw body,
// resuming at the previous part's end. Empty parts are passed over.
// Returns false, leaving part alone, when no part follows: no usable
// boundary, no further delimiter, a close delimiter, or a part whose
// Message cannot be made.
bool mime_next_part(const Message &message, MessagePtr &part);

// The first occurrence of delimiter in [start, start + length) that is
// followed, inside the range, by CR, LF or "-"; null when there is none.
const char *boundary_find(const char *start, size_t length, const char *delimiter,
                          size_t delimiter_length);

// Compares the first length bytes of a and b, ASCII letters without
// regard to case, stopping at the first difference (so a shorter
// NUL-terminated text is never read past its end). Unlike strncasecmp it
// does not depend on the locale.
bool ascii_caseless_equal(const char *a, const char *b, size_t length);

// True when the Message declares MIME: "MIME-Version: 1.0" or a
// Content-Transfer-Encoding header.
bool message_is_mime(const Message &message);
