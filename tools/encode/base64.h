// Base64 body lines (RFC 2045): 76 characters a line, always ending in LF.
#pragma once

#include <string_view>

// Writes data to stdout as base64 lines. Empty data gives a lone LF; data
// whose length is a multiple of 57 ends with an empty line.
void encode_base64(std::string_view data);
