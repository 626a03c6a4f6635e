// Base64 body lines (RFC 2045): 76 characters a line, always ending in LF.
#pragma once

#include <cstddef>
#include <string_view>

// Input bytes of one full base64 line.
constexpr size_t kBase64LineBytes = 57;

// Writes data to stdout as base64 lines. Empty data gives a lone LF; data
// whose length is a multiple of 57 ends with an empty line.
void encode_base64(std::string_view data);

// The same in pieces: every piece but the last holds a multiple of 57
// bytes, so that it ends with a whole line, and the last one (possibly
// empty) ends the encoding as encode_base64 does.
void encode_base64_piece(std::string_view data, bool last);
