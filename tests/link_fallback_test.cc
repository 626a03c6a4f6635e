// Where the file system cannot rename without replacing, a rename is a
// link under the new name and an unlink of the old one. A shim loaded into
// the programs makes it so, and makes the unlink of chosen names fail: a
// message that got its new name is delivered, and only one of its names
// counts as the message.
#include "harness.h"

namespace {

const std::string kMessage = "From: Ann <ann@example.org>\nSubject: hello\n\nbody\n";

class LinkFallback : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    set_env("LD_PRELOAD", QUOBIX_FAULT_SHIM);
    // In a sanitizer build the shim is loaded before the AddressSanitizer
    // runtime, which the runtime refuses unless told not to check.
    std::string asan = env.count("ASAN_OPTIONS") ? env["ASAN_OPTIONS"] + ":" : "";
    set_env("ASAN_OPTIONS", asan + "verify_asan_link_order=0");
    make_maildir("box");
  }
  void fail_unlink(const std::string &pattern) { set_env("QUOBIX_FAULT_UNLINK", pattern); }
};

TEST_F(LinkFallback, StoredMessageIsDeliveredWhenItsTemporaryNameStays) {
  EXPECT_EQ(run({"qxstore", "box"}, kMessage), (RunResult{"", "", 0}));
  EXPECT_EQ(list_dir("box/tmp"), std::vector<std::string>{});
  ASSERT_EQ(list_dir("box/new").size(), 1u);

  fail_unlink("*/tmp/*");
  RunResult result = run({"qxstore", "-c", "box"}, kMessage);
  std::vector<std::string> left = list_dir("box/tmp"), stored = list_dir("box/cur");
  ASSERT_EQ(left.size(), 1u);
  ASSERT_EQ(stored, std::vector<std::string>{left[0] + ":2,"});
  EXPECT_EQ(
      result,
      (RunResult{"", "qxstore: can't remove 'box/tmp/" + left[0] + "': Operation not permitted\n",
                 0}));
  EXPECT_EQ(read_file("box/cur/" + stored[0]), kMessage);
}

TEST_F(LinkFallback, MarkedMessageKeepsOneName) {
  write_file("box/cur/m1:2,", kMessage);
  EXPECT_EQ(run({"qxmark", "-S", "box/cur/m1:2,"}), (RunResult{"box/cur/m1:2,S\n", "", 0}));
  EXPECT_EQ(list_dir("box/cur"), std::vector<std::string>{"m1:2,S"});

  fail_unlink("*/m1:2,S");
  EXPECT_EQ(run({"qxmark", "-F", "box/cur/m1:2,S"}),
            (RunResult{"",
                       "qxmark: can't rename 'box/cur/m1:2,S' to 'box/cur/m1:2,FS': "
                       "Operation not permitted\n",
                       0}));
  EXPECT_EQ(list_dir("box/cur"), std::vector<std::string>{"m1:2,S"});
}

TEST_F(LinkFallback, MovedMessageIsDeliveredWhenItsSourceStays) {
  make_maildir("src");
  write_file("src/cur/m1:2,S", kMessage);
  fail_unlink("src/cur/*");
  RunResult result = run({"qxmove", "-v", "src/cur/m1:2,S", "box"});
  std::vector<std::string> moved = list_dir("box/cur");
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(result,
            (RunResult{"box/cur/" + moved[0] + "\n",
                       "qxmove: can't remove 'src/cur/m1:2,S': Operation not permitted\n", 0}));
  EXPECT_EQ(read_file("box/cur/" + moved[0]), kMessage);
  EXPECT_EQ(list_dir("box/tmp"), std::vector<std::string>{});
  EXPECT_EQ(list_dir("src/cur"), std::vector<std::string>{"m1:2,S"});
}

}  // namespace
