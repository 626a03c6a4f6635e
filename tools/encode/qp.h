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
