// Decoders for mail text: quoted-printable and base64 bodies, and the
// encoded words of header values converted to a target character set.
#pragma once

#include <cstddef>
#include <memory>

// Decodes the quoted-printable bytes from start up to end (not read at or
// beyond end; no terminator needed) into a new buffer, allocated once with
// room for the input and a NUL, and stores it with its length (the NUL not
// counted). With underscore set, "_" becomes a space (the "Q" encoding of
// header words). Malformed escapes are copied unchanged. Returns false,
// storing nothing, when the buffer cannot be allocated.
bool decode_qp(const char *start, const char *end, std::unique_ptr<char[]> &output, size_t &length,
               bool underscore);

// Decodes the base64 bytes from start up to end the same way; the buffer
// holds three bytes per whole four input bytes, plus the NUL. White space
// is skipped, a group with an invalid character decodes to "???", and an
// incomplete final group is dropped.
bool decode_base64(const char *start, const char *end, std::unique_ptr<char[]> &output,
                   size_t &length);

// Decodes the encoded words of the NUL-terminated header value input into
// output, a buffer of size bytes, converting their text to the character
// set target with iconv. The result is always NUL-terminated and cut to
// fit. A value that cannot be decoded comes back unchanged (after
// "error decoding rfc2047" on standard error), and so does one whose
// decoded text would hold a NUL byte. Returns false, writing nothing, when
// size is 0; true otherwise.
bool decode_words(char *output, const char *input, size_t size, const char *target);
