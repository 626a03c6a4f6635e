// The two numbered parts of a Message-ID: random bits mixed with the time
// of day, written in base 36.
#pragma once

#include <sys/time.h>

#include <cstddef>
#include <cstdint>

// 13 base-36 digits hold any 64-bit value; one more byte for the NUL.
constexpr size_t kBase36Size = 14;

struct RandomBits {
  uint64_t first;
  uint64_t second;
};

// 16 bytes read at once from device, as two big-endian numbers. When the
// device cannot be opened or gives fewer bytes, lrand48 seeded from the
// time and the process id stands in.
RandomBits random_bits(const char *device, const timeval &now);

struct IdParts {
  uint64_t first;
  uint64_t second;
};

// The random bits with the time folded into the first, each with its top
// bit set so that both always have 13 digits.
IdParts id_parts(const RandomBits &bits, const timeval &now);

// Writes value in base 36 (digits 0-9 and A-Z), most significant first and
// without leading zeros, at the end of buffer; returns its first digit.
char *base36_write(uint64_t value, char (&buffer)[kBase36Size]);
