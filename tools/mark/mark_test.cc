#include "mark.h"

#include <gtest/gtest.h>

namespace {

struct FlagCase {
  const char *line;
  std::vector<std::pair<std::string, int8_t>> requests;  // in command-line order
  const char *expected;                                  // nullptr: the name does not change
};

TEST(FlagsApply, RewritesFlagPartInByteOrder) {
  const FlagCase cases[] = {
      {"box/cur/m1:2,S", {{"T", 1}}, "box/cur/m1:2,ST"},
      {"box/cur/m1:2,S", {{"S", -1}}, "box/cur/m1:2,"},
      {"box/cur/m1:2,S", {{"S", 1}}, nullptr},
      {"m:2,SR", {{"F", 1}}, "m:2,FRS"},
      {"m:2,S", {{"S", 1}, {"S", -1}}, "m:2,"},
      {"m:2,", {{"RS", 1}, {"R", -1}}, "m:2,S"},
      {"m:2,S", {{"a", 1}}, "m:2,Sa"},
      {"box/new/m1", {{"S", 1}}, nullptr},
      {"  box/cur/m:2,T", {{"D", 1}}, "  box/cur/m:2,DT"},
      {"m:2,SS", {{"T", 1}}, "m:2,ST"},
      {"m:2,R:2,S", {{"T", 1}}, "m:2,,2:RST"},
      {"m:2,S\xe9R", {{"D", 1}}, "m:2,DRS\xe9"},
      {"m:2,S", {{"\xe9", 1}}, nullptr},
  };
  for (const auto &c : cases) {
    FlagRequests requests{};
    for (const auto &[letters, request] : c.requests) flags_request(requests, letters, request);
    std::string changed;
    bool did = flags_apply(c.line, requests, changed);
    EXPECT_EQ(did, c.expected != nullptr) << c.line;
    if (did && c.expected) {
      EXPECT_EQ(changed, c.expected) << c.line;
    }
  }
}

}  // namespace
