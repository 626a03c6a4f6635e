// One draft header line written with RFC 2047 encoded words and folding.
#pragma once

#include <string_view>

// Writes line (as read from the draft, with or without its LF) to stdout:
// words holding bytes of 0x7F or above become "=?UTF-8?Q?...?=" words,
// long lines are folded before 78 columns where a word boundary allows,
// and the line always ends in LF. An empty line writes nothing.
void encode_header_line(std::string_view line);
