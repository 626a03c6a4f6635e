#include "id.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TEST(Base36Write, MostSignificantDigitFirstWithoutLeadingZeros) {
  const struct {
    uint64_t value;
    const char *expected;
  } cases[] = {
      {0, "0"},
      {35, "Z"},
      {36, "10"},
      {1295, "ZZ"},
      {uint64_t{1} << 63, "1Y2P0IJ32E8E8"},
      {UINT64_MAX, "3W5E11264SGSF"},
  };
  for (const auto &c : cases) {
    char buffer[kBase36Size];
    EXPECT_STREQ(base36_write(c.value, buffer), c.expected) << c.value;
  }
}

TEST(IdParts, TimeGoesIntoTheFirstPartAndTopBitsAreSet) {
  timeval now{1000, 5};
  IdParts parts = id_parts({0, 0}, now);
  EXPECT_EQ(parts.first, (uint64_t{1} << 63) | 1000000005);
  EXPECT_EQ(parts.second, uint64_t{1} << 63);
  parts = id_parts({1000000005, 7}, now);
  EXPECT_EQ(parts.first, uint64_t{1} << 63);
  EXPECT_EQ(parts.second, (uint64_t{1} << 63) | 7);
}

class RandomBitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/newid-random-XXXXXX";
    int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    device = pattern;
  }
  void TearDown() override { unlink(device.c_str()); }
  void write_device(const std::string &bytes) {
    FILE *file = fopen(device.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
  }

  std::string device;
  timeval now{1700000000, 123456};
};

TEST_F(RandomBitsTest, SixteenBytesAreTwoBigEndianNumbers) {
  write_device(std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\xff", 16) +
               "ignored");
  RandomBits bits = random_bits(device.c_str(), now);
  EXPECT_EQ(bits.first, 0x0001020304050607u);
  EXPECT_EQ(bits.second, 0x08090a0b0c0d0effu);
}

TEST_F(RandomBitsTest, MissingOrShortDeviceFallsBackToSeededLrand48) {
  srand48(now.tv_sec ^ now.tv_usec ^ getpid());
  uint64_t r[4];
  for (uint64_t &value : r) value = static_cast<uint64_t>(lrand48());
  write_device("short");
  for (const char *source : {device.c_str(), "/nonexistent/urandom"}) {
    RandomBits bits = random_bits(source, now);
    EXPECT_EQ(bits.first, (r[0] << 32) + r[1]) << source;
    EXPECT_EQ(bits.second, (r[2] << 32) + r[3]) << source;
  }
}

}  // namespace
