#include "base64.h"

#include "output.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kGroupsPerLine = 19;  // 19 groups of 4 characters: 76 a line

}  // namespace

void encode_base64(std::string_view data) {
  const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
  size_t left = data.size();
  int groups = 0;
  for (; left >= 3; left -= 3, bytes += 3) {
    unsigned bits = bytes[0] << 16 | bytes[1] << 8 | bytes[2];
    out_byte(kAlphabet[bits >> 18]);
    out_byte(kAlphabet[bits >> 12 & 0x3F]);
    out_byte(kAlphabet[bits >> 6 & 0x3F]);
    out_byte(kAlphabet[bits & 0x3F]);
    if (++groups == kGroupsPerLine) {
      out_byte('\n');
      groups = 0;
    }
  }
  if (left == 1) {
    out_byte(kAlphabet[bytes[0] >> 2]);
    out_byte(kAlphabet[(bytes[0] & 0x03) << 4]);
    out_text("==");
  } else if (left == 2) {
    out_byte(kAlphabet[bytes[0] >> 2]);
    out_byte(kAlphabet[(bytes[0] & 0x03) << 4 | bytes[1] >> 4]);
    out_byte(kAlphabet[(bytes[1] & 0x0F) << 2]);
    out_byte('=');
  }
  out_byte('\n');
}
