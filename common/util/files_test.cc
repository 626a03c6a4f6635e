#include "files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string temporary_directory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quobix-unit-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

TEST(Files, SlurpReadsFilesAndPipesWhole) {
  std::string dir = temporary_directory();
  std::string path = dir + "/file";
  std::ofstream(path) << std::string(10000, 'z');
  std::unique_ptr<char[]> data;
  size_t length = 0;
  ASSERT_EQ(file_slurp(path.c_str(), data, length), 0);
  EXPECT_EQ(length, 10000u);
  EXPECT_EQ(data[length], '\0');

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string text(70000, 'p');  // more than a pipe holds: written while read
  pid_t writer = fork();
  if (writer == 0) {
    close(fds[0]);
    (void)!write(fds[1], text.data(), text.size());
    _exit(0);
  }
  close(fds[1]);
  std::string name = "/dev/fd/" + std::to_string(fds[0]);
  ASSERT_EQ(file_slurp(name.c_str(), data, length), 0);
  close(fds[0]);
  EXPECT_EQ(std::string(data.get(), length), text);

  EXPECT_EQ(file_slurp((dir + "/missing").c_str(), data, length), ENOENT);
  std::filesystem::remove_all(dir);
}

}  // namespace
