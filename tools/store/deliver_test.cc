#include "deliver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UniqueName, FormatsTimeProcessCounterAndHost) {
  char name[kUniqueSize];
  unique_name(name, {1700000000, 42}, 123, 7, "host");
  EXPECT_STREQ(name, "1700000000.M000042P123Q7.host");
  std::string long_host(kHostSize - 1, 'h');
  unique_name(name, {1700000000, 999999}, 4194304, 9223372036854775807, long_host.c_str());
  EXPECT_EQ(
      std::string(name),
      ("1700000000.M999999P4194304Q9223372036854775807." + long_host).substr(0, kUniqueSize - 1));
}

TEST(HostPart, SlashAndColonBecomeDashes) {
  char host[] = "a/b:c.example:/";
  host_part_clean(host);
  EXPECT_STREQ(host, "a-b-c.example--");
}

}  // namespace
