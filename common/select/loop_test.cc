#include "loop.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_env.h"

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

TEST(NameCompare, OrdersNumbersByValue) {
  const char *ascending[][2] = {
      {"a2", "a10"}, {"2", "10"},   {"1.5", "1.10"}, {"01", "02"},
      {"010", "09"}, {"a00", "a0"}, {"00", "0a"},    {"1", "1a"},
      {"a", "b"},    {"0", "1"},    {"x9y", "x10y"}, {"1700000000.M1P2Q3", "1700000000.M1P2Q10"},
  };
  for (const auto &pair : ascending) {
    EXPECT_LT(name_compare(pair[0], pair[1]), 0) << pair[0] << " < " << pair[1];
    EXPECT_GT(name_compare(pair[1], pair[0]), 0) << pair[1] << " > " << pair[0];
  }
  EXPECT_EQ(name_compare("same10", "same10"), 0);
  EXPECT_EQ(sign(name_compare("0", "a")), sign('0' - 'a'));
}

using MaildirScan = SelectTest;

std::vector<std::string> scan(const std::string &path) {
  std::vector<std::string> names;
  int64_t count = maildir_scan(path.c_str(), [&](const char *name) { names.push_back(name); });
  EXPECT_EQ(count, static_cast<int64_t>(names.size()));
  return names;
}

TEST_F(MaildirScan, ListsCurSortedSkippingDotsAndDirectories) {
  namespace fs = std::filesystem;
  fs::create_directories(dir + "/box/cur/sub");
  fs::create_directories(dir + "/box/new");
  for (const char *name : {"m10", "m9", ".hidden", "m100"}) std::ofstream(dir + "/box/cur/" + name);
  std::ofstream(dir + "/box/new/fresh");
  fs::create_symlink("m9", dir + "/box/cur/link");
  EXPECT_EQ(scan(dir + "/box"),
            (std::vector<std::string>{dir + "/box/cur/link", dir + "/box/cur/m9",
                                      dir + "/box/cur/m10", dir + "/box/cur/m100"}));
  EXPECT_EQ(scan(dir + "/box/new"), (std::vector<std::string>{dir + "/box/new/fresh"}));
  EXPECT_EQ(scan(dir + "/box/new/fresh"), (std::vector<std::string>{dir + "/box/new/fresh"}));
  EXPECT_EQ(scan(dir + "/missing"), (std::vector<std::string>{}));
  EXPECT_EQ(scan(dir + "/" + std::string(1020, 'l')), (std::vector<std::string>{}));
}

}  // namespace
