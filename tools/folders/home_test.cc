#include "home.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct Expansion {
  const char *home;  // nullptr: HOME unset
  const char *value;
  std::string expected;
};

TEST(HomeExpand, ReplacesOnlyALeadingTildeSlash) {
  const Expansion cases[] = {
      {"/home/u", "~/Mail", "/home/u/Mail"},
      {"", "~/Mail", "/Mail"},  // an empty HOME still counts as set
      {"/home/u", "~/", "/home/u/"},
      {"/home/u", "/var/mail", "/var/mail"},
      {"/home/u", "~Mail", "~Mail"},
      {"/home/u", "~", "~"},
      {"/home/u", "Mail/~/x", "Mail/~/x"},
      {nullptr, "~/Mail", std::string(getpwuid(getuid())->pw_dir) + "/Mail"},
  };
  for (const Expansion &c : cases) {
    if (c.home)
      setenv("HOME", c.home, 1);
    else
      unsetenv("HOME");
    EXPECT_EQ(home_expand(c.value), c.expected)
        << c.value << " with HOME " << (c.home ? c.home : "unset");
  }
}

TEST(HomeExpand, UnchangedValueIsNotCopied) {
  const char *value = "/var/mail";
  EXPECT_EQ(home_expand(value), value);
}

TEST(HomeExpand, NeverCutsToTheBufferSize) {
  setenv("HOME", "/h", 1);
  std::string fits = "~/" + std::string(1020, 'x');
  EXPECT_EQ(home_expand(fits.c_str()), "/h/" + std::string(1020, 'x'));
  std::string value = "~/" + std::string(1021, 'x');
  EXPECT_EQ(home_expand(value.c_str()), nullptr);
}

}  // namespace
