// qxfolders end to end: the walk, its options, the Profile's mail
// directory, links, deep trees and the exit statuses.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using namespace std::string_literals;

// The walk prints in the order readdir delivers, which the tests do not
// fix; they compare the records sorted, each still ending in its separator.
RunResult sorted(RunResult result, char separator = '\n') {
  std::vector<std::string> records;
  size_t start = 0;
  for (size_t end; (end = result.out.find(separator, start)) != std::string::npos; start = end + 1)
    records.push_back(result.out.substr(start, end + 1 - start));
  std::string rest = result.out.substr(start);  // an unterminated tail stays visible
  std::sort(records.begin(), records.end());
  result.out.clear();
  for (const std::string &record : records) result.out += record;
  result.out += rest;
  return result;
}

class Folders : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    real = std::filesystem::canonical(dir).string();
    make_maildir("mail/inbox");
    make_dirs("mail/inbox/.Sent");
    make_dirs("mail/lists/a");
  }

  // A maildir without tmp/, which is not required.
  void make_dirs(const std::string &relative) {
    std::filesystem::create_directories(path(relative + "/cur"));
    std::filesystem::create_directories(path(relative + "/new"));
  }

  // The absolute paths of the given folders, each ending in separator.
  std::string listing(const std::vector<std::string> &folders, char separator = '\n') const {
    std::string out;
    for (const std::string &folder : folders) out += real + "/" + folder + separator;
    return out;
  }

  std::string real;  // the sandbox as getcwd reports it
};

TEST_F(Folders, ListsEveryMaildirOfTheTree) {
  EXPECT_EQ(sorted(run({"qxfolders", "mail"})),
            (RunResult{listing({"mail/inbox", "mail/inbox/.Sent", "mail/lists/a"}), "", 0}));
}

TEST_F(Folders, NulSeparatorWithDashZero) {
  EXPECT_EQ(sorted(run({"qxfolders", "-0", "mail"}), '\0'),
            (RunResult{listing({"mail/inbox", "mail/inbox/.Sent", "mail/lists/a"}, '\0'), "", 0}));
}

TEST_F(Folders, MaildirComesBeforeTheFoldersInsideIt) {
  std::string out = run({"qxfolders", "mail"}).out;
  EXPECT_LT(out.find(real + "/mail/inbox\n"), out.find(real + "/mail/inbox/.Sent\n")) << out;
}

TEST_F(Folders, PlainSubdirectoriesOfAMaildirOnlyWithDashA) {
  make_dirs("mail/inbox/cur/stray");
  make_dirs("mail/inbox/tmp/x");
  make_dirs("mail/inbox/plain/box");
  std::vector<std::string> always = {"mail/inbox", "mail/inbox/.Sent", "mail/lists/a"};
  EXPECT_EQ(sorted(run({"qxfolders", "mail"})), (RunResult{listing(always), "", 0}));
  std::vector<std::string> all = always;
  all.insert(all.end(), {"mail/inbox/cur/stray", "mail/inbox/plain/box", "mail/inbox/tmp/x"});
  std::sort(all.begin(), all.end());
  EXPECT_EQ(sorted(run({"qxfolders", "-a", "mail"})), (RunResult{listing(all), "", 0}));
}

TEST_F(Folders, WhatIsAndIsNotAMaildir) {
  make_dirs("mail/.archive/old");  // a dot-directory outside a maildir is entered
  std::filesystem::create_directories(path("mail/half/cur"));  // no new/: not a maildir
  make_dirs("mail/half/inner");  // so its plain subdirectories are entered
  write_file("mail/fake/cur", "a file, not a directory\n");
  std::filesystem::create_directories(path("mail/fake/new"));
  make_dirs("mail/linked");  // cur and new may be links to directories
  std::filesystem::remove(path("mail/linked/cur"));
  make_symlink("../inbox/cur", "mail/linked/cur");
  write_file("mail/plainfile", "");
  EXPECT_EQ(sorted(run({"qxfolders", "mail"})),
            (RunResult{listing({"mail/.archive/old", "mail/half/inner", "mail/inbox",
                                "mail/inbox/.Sent", "mail/linked", "mail/lists/a"}),
                       "", 0}));
}

TEST_F(Folders, LinksInsideTheWalkAreNotFollowed) {
  make_symlink("../inbox", "mail/lists/inbox-link");
  make_symlink("..", "mail/lists/loop");
  make_symlink("self", "mail/self");
  EXPECT_EQ(sorted(run({"qxfolders", "-a", "mail"})),
            (RunResult{listing({"mail/inbox", "mail/inbox/.Sent", "mail/lists/a"}), "", 0}));
}

TEST_F(Folders, ArgumentsAreWalkedInOrderAndMayBeLinks) {
  make_symlink("mail/lists", "lists-link");
  EXPECT_EQ(
      run({"qxfolders", "lists-link", "mail/inbox/.Sent", "missing", "mail/lists", "",
           real + "/mail/lists/a"}),
      (RunResult{listing({"mail/lists/a", "mail/inbox/.Sent", "mail/lists/a", "mail/lists/a"}), "",
                 0}));
}

TEST_F(Folders, TreesDeeperThanThePathBuffer) {
  std::string deep = "deep", printable;
  for (int level = 1; level <= 600; ++level) {
    deep += "/d";
    if (level == 100) printable = deep;
    if (level == 100 || level == 600) make_dirs(deep);  // the second has too long a path
  }
  EXPECT_EQ(run({"qxfolders", "deep"}), (RunResult{listing({printable}), "", 0}));
}

TEST_F(Folders, UnknownOptionIsAUsageError) {
  EXPECT_EQ(
      run({"qxfolders", "-x", "mail"}),
      (RunResult{"", "qxfolders: invalid option -- 'x'\nUsage: qxfolders [-0a] dirs...\n", 1}));
}

TEST_F(Folders, LostWorkingDirectoryAtStart) {
  std::string command = "mkdir gone && cd gone && rmdir ../gone && exec " + bin_dir() +
                        "/qxfolders " + real + "/mail";
  EXPECT_EQ(run({"/bin/sh", "-c", command}),
            (RunResult{"", "qxfolders: getcwd: No such file or directory\n", 255}));
}

class FoldersProfile : public Folders {};

TEST_F(FoldersProfile, MaildirEntryWithTildeIsBelowHome) {
  set_env("HOME", path("home/u"));
  make_dirs("home/u/Mail/box");
  write_file("home/u/.quobix/profile", "Local-Mailbox: u@example.org\nMaildir: ~/Mail\n");
  EXPECT_EQ(run({"qxfolders"}), (RunResult{listing({"home/u/Mail/box"}), "", 0}));
}

TEST_F(FoldersProfile, MaildirEntryUsedUnchangedWithoutTilde) {
  set_env("QUOBIX", path("config"));
  write_file("config/profile", "maildir: " + real + "/mail/lists\n");
  EXPECT_EQ(run({"qxfolders", "-0"}), (RunResult{listing({"mail/lists/a"}, '\0'), "", 0}));
}

TEST_F(FoldersProfile, NoMaildirEntryIsAUsageError) {
  const std::string usage = "Usage: qxfolders [-0a] dirs...\n";
  EXPECT_EQ(run({"qxfolders"}), (RunResult{"", usage, 1}));  // no Profile at all
  for (const std::string &profile : {"fqdn: x.example\n"s, "maildir:\n"s, "\nmaildir: mail\n"s,
                                     "\0\xff\x01maildir\0: mail\n"s}) {
    write_file(".quobix/profile", profile);
    EXPECT_EQ(run({"qxfolders"}), (RunResult{"", usage, 1})) << profile;
  }
}

TEST_F(FoldersProfile, MaildirEntryNamingAFileListsNothing) {
  write_file("notadir", "");
  write_file(".quobix/profile", "maildir: notadir\n");
  EXPECT_EQ(run({"qxfolders"}), (RunResult{"", "", 0}));
}

}  // namespace
