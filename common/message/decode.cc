// Quoted-printable and base64 decoding into buffers sized once, up front.
#include "message/decode.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr int8_t kInvalid = -1;

// Values of the ASCII bytes in base64 ("=" counts as 0) and in hexadecimal;
// bytes of 0x80 and above are invalid in both.
constexpr std::array<int8_t, 128> make_base64_table() {
  std::array<int8_t, 128> table{};
  table.fill(kInvalid);
  for (int i = 0; i < 26; ++i) {
    table['A' + i] = i;
    table['a' + i] = 26 + i;
  }
  for (int i = 0; i < 10; ++i) table['0' + i] = 52 + i;
  table['+'] = 62;
  table['/'] = 63;
  table['='] = 0;
  return table;
}
constexpr std::array<int8_t, 128> make_hex_table() {
  std::array<int8_t, 128> table{};
  table.fill(kInvalid);
  for (int i = 0; i < 10; ++i) table['0' + i] = i;
  for (int i = 0; i < 6; ++i) {
    table['A' + i] = 10 + i;
    table['a' + i] = 10 + i;
  }
  return table;
}
constexpr auto kBase64 = make_base64_table();
// The same for every byte value, without "=": the fast path of whole
// groups looks bytes up without a range check.
constexpr std::array<int8_t, 256> make_base64_letters() {
  std::array<int8_t, 256> table{};
  table.fill(kInvalid);
  std::array<int8_t, 128> ascii = make_base64_table();
  for (int i = 0; i < 128; ++i) table[i] = ascii[i];
  table['='] = kInvalid;
  return table;
}
constexpr auto kBase64Letters = make_base64_letters();
constexpr auto kHex = make_hex_table();
static_assert(kBase64['Z'] == 25 && kBase64['z'] == 51 && kBase64['9'] == 61);
static_assert(kBase64['/'] == 63 && kBase64['='] == 0 && kBase64['*'] == kInvalid);
static_assert(kBase64Letters['='] == kInvalid && kBase64Letters[0xc3] == kInvalid);
static_assert(kHex['f'] == 15 && kHex['F'] == 15 && kHex['g'] == kInvalid);

int table_value(const std::array<int8_t, 128> &table, char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte < table.size() ? table[byte] : kInvalid;
}

bool is_base64_space(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

}  // namespace

bool decode_qp(const char *start, const char *end, std::unique_ptr<char[]> &output, size_t &length,
               bool underscore) {
  // Every rule writes at most as many bytes as it reads.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[end - start + 1]);
  if (!buffer) return false;
  char *out = buffer.get();
  for (const char *p = start; p < end;) {
    if (!underscore) {  // bodies: the text up to the next "=" as it stands
      const char *escape = static_cast<const char *>(memchr(p, '=', static_cast<size_t>(end - p)));
      size_t run = static_cast<size_t>((escape ? escape : end) - p);
      memcpy(out, p, run);
      out += run;
      p += run;
      if (p == end) break;
    } else if (*p != '=') {
      *out++ = *p == '_' ? ' ' : *p;
      ++p;
      continue;
    }
    size_t after = end - p - 1;
    if (after >= 1 && p[1] == '\n') {
      p += 2;  // soft line break
    } else if (after >= 2 && p[1] == '\r' && p[2] == '\n') {
      p += 3;
    } else if (after >= 2) {
      int high = table_value(kHex, p[1]);
      int low = table_value(kHex, p[2]);
      if (high != kInvalid && low != kInvalid) {
        *out++ = static_cast<char>(high << 4 | low);
      } else {
        // A bad escape stays as written, its two bytes not looked at again.
        *out++ = p[0];
        *out++ = p[1];
        *out++ = p[2];
      }
      p += 3;
    } else {
      *out++ = *p++;  // "=" too close to the end to escape anything
    }
  }
  *out = '\0';
  length = out - buffer.get();
  output = std::move(buffer);
  return true;
}

bool decode_base64(const char *start, const char *end, std::unique_ptr<char[]> &output,
                   size_t &length) {
  // Each group reads at least four bytes and writes at most three.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[(end - start) / 4 * 3 + 1]);
  if (!buffer) return false;
  char *out = buffer.get();
  const char *p = start;
  while (end - p >= 4) {
    if (is_base64_space(*p)) {  // blanks between groups: skipped, as within one
      ++p;
      continue;
    }
    // Four letters in a row, none of them blank, padding or invalid, are a
    // group: the common case, decoded without the general steps below.
    const auto *bytes = reinterpret_cast<const unsigned char *>(p);
    int a = kBase64Letters[bytes[0]], b = kBase64Letters[bytes[1]];
    int c = kBase64Letters[bytes[2]], d = kBase64Letters[bytes[3]];
    if ((a | b | c | d) >= 0) {
      uint32_t bits = static_cast<uint32_t>(a << 18 | b << 12 | c << 6 | d);
      out[0] = static_cast<char>(bits >> 16);
      out[1] = static_cast<char>(bits >> 8);
      out[2] = static_cast<char>(bits);
      out += 3;
      p += 4;
      continue;
    }
    char group[4];
    int count = 0;
    while (count < 4 && p < end) {
      if (!is_base64_space(*p)) group[count++] = *p;
      ++p;
    }
    if (count < 4) break;  // an incomplete final group gives nothing

    uint32_t bits = 0;
    bool valid = true;
    for (char c : group) {
      int value = table_value(kBase64, c);
      valid = valid && value != kInvalid;
      bits = bits << 6 | (value & 63);
    }
    if (!valid) {
      *out++ = '?';
      *out++ = '?';
      *out++ = '?';
      continue;
    }
    // Padding suppresses its byte but not the groups after it, so joined
    // pieces decode one after the other.
    if (group[1] != '=') *out++ = static_cast<char>(bits >> 16);
    if (group[2] != '=') *out++ = static_cast<char>(bits >> 8);
    if (group[3] != '=') *out++ = static_cast<char>(bits);
  }
  *out = '\0';
  length = out - buffer.get();
  output = std::move(buffer);
  return true;
}
