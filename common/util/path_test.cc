#include "path.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

TEST(PathJoin, FitsOrReportsTheCut) {
  struct Case {
    std::string first, second;
    bool fits;
  } cases[] = {
      {"", "", true},
      {"mail/inbox", "/cur", true},
      {std::string(kPathSize - 5, 'a'), "/cur", true},  // exactly the last byte for the NUL
      {std::string(kPathSize - 4, 'a'), "/cur", false},
      {std::string(kPathSize + 10, 'a'), "", false},
  };
  for (const Case &c : cases) {
    PathBuffer buffer;
    errno = 0;
    bool fits = path_join(buffer, {c.first, c.second});
    std::string whole = (c.first + c.second).substr(0, kPathSize - 1);
    EXPECT_EQ(fits, c.fits) << c.first.size();
    EXPECT_EQ(std::string(buffer), whole) << c.first.size();
    EXPECT_EQ(errno, c.fits ? 0 : ENAMETOOLONG) << c.first.size();
  }
}

}  // namespace
