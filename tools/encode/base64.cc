#include "base64.h"

#include "output.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineChars = 76;  // 19 groups of 4 characters
constexpr size_t kLinesPerWrite = 256;

// Encodes three bytes into four characters at out.
char *group_encode(const unsigned char *bytes, char *out) {
  unsigned bits = bytes[0] << 16 | bytes[1] << 8 | bytes[2];
  out[0] = kAlphabet[bits >> 18];
  out[1] = kAlphabet[bits >> 12 & 0x3F];
  out[2] = kAlphabet[bits >> 6 & 0x3F];
  out[3] = kAlphabet[bits & 0x3F];
  return out + 4;
}

}  // namespace

void encode_base64_piece(std::string_view data, bool last) {
  const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
  size_t left = data.size();
  // Whole lines are built in a buffer and written a batch at a time.
  char lines[kLinesPerWrite * (kLineChars + 1)];
  while (left >= kBase64LineBytes) {
    char *out = lines;
    for (size_t line = 0; line < kLinesPerWrite && left >= kBase64LineBytes; ++line) {
      for (size_t group = 0; group < kBase64LineBytes; group += 3)
        out = group_encode(bytes + group, out);
      *out++ = '\n';
      bytes += kBase64LineBytes;
      left -= kBase64LineBytes;
    }
    out_text({lines, static_cast<size_t>(out - lines)});
  }
  if (!last) return;
  // The last, shorter line, padded to whole groups, and the final LF.
  char *out = lines;
  for (; left >= 3; left -= 3, bytes += 3) out = group_encode(bytes, out);
  if (left == 1) {
    *out++ = kAlphabet[bytes[0] >> 2];
    *out++ = kAlphabet[(bytes[0] & 0x03) << 4];
    *out++ = '=';
    *out++ = '=';
  } else if (left == 2) {
    *out++ = kAlphabet[bytes[0] >> 2];
    *out++ = kAlphabet[(bytes[0] & 0x03) << 4 | bytes[1] >> 4];
    *out++ = kAlphabet[(bytes[1] & 0x0F) << 2];
    *out++ = '=';
  }
  *out++ = '\n';
  out_text({lines, static_cast<size_t>(out - lines)});
}

void encode_base64(std::string_view data) { encode_base64_piece(data, true); }
