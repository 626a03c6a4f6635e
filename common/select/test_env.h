// Test helpers for the selection library: a temporary directory and
// environment variables restored when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

class SelectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quobix-unit-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    for (const char *name : {"QUOBIX", "HOME", "MAILSEQ", "MAILCUR", "MAILDOT"}) set_env(name, {});
    set_env("QUOBIX", dir);
  }
  void TearDown() override {
    for (const auto &[name, value] : saved) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    std::filesystem::remove_all(dir);
  }
  void set_env(const std::string &name, std::optional<std::string> value) {
    if (!saved.count(name)) {
      const char *old = getenv(name.c_str());
      saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }

  std::string dir;
  std::map<std::string, std::optional<std::string>> saved;
};
