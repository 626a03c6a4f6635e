// Byte-level writing to standard output for the encoders. qxencode is
// single-threaded and writes everything through stdout, so each byte goes
// straight into the stream's own buffer without taking its lock.
#pragma once

#include <cstdio>
#include <string_view>

inline void out_byte(char byte) { putchar_unlocked(byte); }

inline void out_text(std::string_view text) { fwrite(text.data(), 1, text.size(), stdout); }

// Writes mark and two hexadecimal digits for byte: "=%02X" with mark '='
// and upper case, "%%%02x" with mark '%' and lower case.
inline void out_escape(char mark, unsigned char byte, bool upper_case) {
  const char *digits = upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
  out_byte(mark);
  out_byte(digits[byte >> 4]);
  out_byte(digits[byte & 0x0F]);
}
