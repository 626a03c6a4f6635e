#include "config.h"

#include <unistd.h>

#include <fstream>

#include "sequence.h"
#include "test_env.h"

namespace {

using Config = SelectTest;

TEST_F(Config, PathFollowsEnvironment) {
  EXPECT_EQ(std::string(config_path("seq")), dir + "/seq");
  set_env("QUOBIX", "");
  EXPECT_STREQ(config_path("seq"), "/seq");
  set_env("QUOBIX", {});
  set_env("HOME", "/home/someone");
  EXPECT_STREQ(config_path("cur"), "/home/someone/.quobix/cur");
  set_env("QUOBIX", std::string(1019, 'x'));
  EXPECT_EQ(strlen(config_path("seq")), 1023u);
  // One byte more, and the path is reported instead of cut.
  set_env("QUOBIX", std::string(1020, 'x'));
  testing::internal::CaptureStderr();
  EXPECT_EQ(config_path("seq"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quobix: " + std::string(64, 'x') + "...: File name too long\n");
}

TEST_F(Config, CurrentMessageLinkIsReplaced) {
  EXPECT_EQ(current_get(), nullptr);
  ASSERT_EQ(current_set("box/cur/1:2,S"), 0);
  EXPECT_STREQ(current_get(), "box/cur/1:2,S");
  ASSERT_EQ(current_set("box/cur/1:2,RS"), 0);
  EXPECT_STREQ(current_get(), "box/cur/1:2,RS");
  EXPECT_NE(access((dir + "/cur-").c_str(), F_OK), 0) << "temporary link left behind";

  set_env("MAILCUR", dir + "/elsewhere");
  ASSERT_EQ(current_set("other"), 0);
  EXPECT_STREQ(current_get(), "other");
}

TEST_F(Config, CurrentMessageSetIsRefusedOrSkipped) {
  ASSERT_EQ(current_set("/dev/stdin"), 0);
  EXPECT_EQ(current_get(), nullptr);

  set_env("MAILCUR", std::string(1023, 'x'));
  EXPECT_EQ(current_set("a"), -1);

  set_env("MAILDOT", "foo/bar");
  EXPECT_STREQ(current_get(), "foo/bar");
  EXPECT_EQ(current_set("a"), 0);
  set_env("MAILCUR", {});
  set_env("MAILDOT", {});
  EXPECT_EQ(current_get(), nullptr) << "MAILDOT must not write the link";
}

TEST_F(Config, LongLinkTargetIsCut) {
  std::string target(1500, 'y');
  ASSERT_EQ(symlink(target.c_str(), (dir + "/cur").c_str()), 0);
  EXPECT_EQ(std::string(current_get()), target.substr(0, 1023));
}

TEST_F(Config, FindsLastCurrentLineEndedByNewline) {
  struct Case {
    const char *text;
    int64_t lines, current;
  } cases[] = {
      {"a\n  box/cur/12:2,S\nb\n", 3, 2},
      {"box/cur/123:2,S\n", 1, 0},
      {"box/cur/12:2,S\tfrom x\nc\nbox/cur/12:2,S more\n", 3, 3},
      {"a\nbox/cur/12:2,S", 1, 0},
      {"", 0, 0},
  };
  set_env("MAILDOT", "box/cur/12:2,S");
  for (const auto &c : cases) {
    int64_t lines = -1, current = 0;
    sequence_find_current(c.text, lines, current);
    EXPECT_EQ(lines, c.lines) << c.text;
    EXPECT_EQ(current, c.current) << c.text;
  }
}

}  // namespace
