#include "flags.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FlagPart, FoundAfterTheFirstMarker) {
  struct Case {
    const char *name;
    const char *part;  // null: no flag part
    int bits;
  } cases[] = {
      {"cur/1.x:2,FS", "FS", maildir_flag_bit('F') | maildir_flag_bit('S')},
      {"cur/1.x:2,", "", 0},
      {"cur/1.x:2,DPRTa:2,F", "DPRTa:2,F", 16 | 1 | 2 | 8 | 32},
      {"new/1.x", nullptr, 0},
      {"cur/1.x:1,S", nullptr, 0},
  };
  for (const Case &c : cases) {
    const char *part = flag_part(c.name);
    ASSERT_EQ(part == nullptr, c.part == nullptr) << c.name;
    if (!part) {
      EXPECT_EQ(flag_part_start(c.name), std::string_view::npos) << c.name;
      continue;
    }
    EXPECT_STREQ(part, c.part) << c.name;
    EXPECT_EQ(flag_part_start(c.name), static_cast<size_t>(part - c.name)) << c.name;
    EXPECT_EQ(flag_bits(part), c.bits) << c.name;
  }
}

}  // namespace
