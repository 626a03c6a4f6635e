#include "id.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "util/files.h"

namespace {

constexpr uint64_t kTopBit = uint64_t{1} << 63;
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static_assert(sizeof kDigits - 1 == 36);

uint64_t big_endian(const unsigned char *bytes) {
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | bytes[i];
  return value;
}

uint64_t lrand48_pair() {
  uint64_t high = static_cast<uint64_t>(lrand48());
  return (high << 32) + static_cast<uint64_t>(lrand48());
}

}  // namespace

RandomBits random_bits(const char *device, const timeval &now) {
  unsigned char bytes[16];
  UniqueFd source(open(device, O_RDONLY | O_CLOEXEC));
  if (source && read(source.fd, bytes, sizeof bytes) == sizeof bytes)
    return {big_endian(bytes), big_endian(bytes + 8)};
  srand48(now.tv_sec ^ now.tv_usec ^ getpid());
  uint64_t first = lrand48_pair();
  return {first, lrand48_pair()};
}

IdParts id_parts(const RandomBits &bits, const timeval &now) {
  uint64_t time = static_cast<uint64_t>(now.tv_sec) * 1000000 + static_cast<uint64_t>(now.tv_usec);
  return {(bits.first ^ time) | kTopBit, bits.second | kTopBit};
}

char *base36_write(uint64_t value, char (&buffer)[kBase36Size]) {
  char *digit = buffer + kBase36Size - 1;
  *digit = '\0';
  do {
    *--digit = kDigits[value % 36];
    value /= 36;
  } while (value != 0);
  return digit;
}
