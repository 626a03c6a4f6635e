// Quoted-printable output (RFC 2045 bodies, and the inside of RFC 2047 "Q"
// encoded words), written straight to stdout.
#pragma once

#include <string_view>

// Whether byte may still be written at column without passing limit: room
// is kept for its escape and, for a UTF-8 lead byte, for the escapes of the
// rest of its character, so that no character is split by a line break.
// Header mode keeps one more column for the word's closing "?=".
bool qp_fits(unsigned char byte, int column, int limit, bool header_mode);

// Writes data as quoted-printable and returns the column after it. Start
// column 0 selects body mode (soft breaks "=" LF, output always ending in
// a line break); any other column selects header mode, inside an encoded
// word that the caller has opened with " =?UTF-8?Q?" and will close.
int encode_qp(std::string_view data, int limit, int column);

// Bytes past the one being written that the body rules look at ("From "
// at a line start, a blank or "." before a line end).
constexpr size_t kQpLookahead = 4;

// Body mode in pieces: writes the first count bytes of data, the rest of
// which (at least kQpLookahead bytes, or all that is left of the input)
// is only looked at, and returns the column after them. The output is
// ended by qp_body_end.
int encode_qp_body(std::string_view data, size_t count, int limit, int column);
void qp_body_end(int column);
