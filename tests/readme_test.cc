// The README's "Daily use" section end to end: every command shown there
// runs, in order, against a copy of examples/Mail, so that the README
// cannot drift from the tools.
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

// The indented lines (code) of the README section with this heading.
std::vector<std::string> section_commands(const std::string &heading) {
  std::ifstream readme(QUOBIX_SOURCE_DIR "/README.md");
  std::vector<std::string> commands;
  bool inside = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.starts_with("## ")) inside = line == "## " + heading;
    if (inside && line.starts_with("    ")) commands.push_back(line.substr(4));
  }
  return commands;
}

std::string shell_quoted(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Unique parts of maildir names differ from run to run.
std::string without_unique_parts(const std::string &text) {
  static const std::regex unique(R"([0-9]+\.M[0-9]+P[0-9]+Q[0-9]+\.[^:/\n]+)");
  return std::regex_replace(text, unique, "UNIQUE");
}

class DailyUse : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    fs::copy(QUOBIX_SOURCE_DIR "/examples/Mail", path("Mail"), fs::copy_options::recursive);
    make_maildir("Mail/inbox");  // git keeps no empty tmp/
    write_file("message",
               "From: Charles Babbage <charles@example.org>\n"
               "To: Ada Lovelace <ada@example.org>\n"
               "Subject: Punched cards\n"
               "\n"
               "The cards for the engine arrived today.\n");
    set_env("PATH", bin_dir() + ":/usr/bin:/bin");
  }
};

TEST_F(DailyUse, EveryCommandOfTheReadmeWorks) {
  std::vector<std::string> commands = section_commands("Daily use");
  ASSERT_FALSE(commands.empty()) << "README.md has no Daily use commands";
  std::string script = "set -eo pipefail\n";
  for (const std::string &command : commands)
    script += "echo " + shell_quoted("$ " + command) + "\n" + command + "\n";

  RunResult result = run({"/bin/bash", "--norc", "--noprofile", "-c", script});
  result.out = without_unique_parts(result.out);
  EXPECT_EQ(result,
            (RunResult{"$ qxstore ./Mail/inbox < message\n"
                       "$ qxwho ./Mail/inbox/new\n"
                       "Ada Lovelace <ada@example.org>\n"
                       "Mary Somerville <mary@example.net>\n"
                       "Charles Babbage <charles@example.org>\n"
                       "Ada Lovelace <ada@example.org>\n"
                       "$ qxsearch -h subject:. ./Mail/inbox/new\n"
                       "subject: Re: Lecture tickets\n"
                       "subject: Punched cards\n"
                       "$ qxmove ./Mail/inbox/new ./Mail/inbox\n"
                       "$ qxfilter -t '!seen' ./Mail/inbox > ~/.quobix/seq\n"
                       "$ cat \"$(sed -n 2p ~/.quobix/seq)\"\n"
                       "From: Mary Somerville <mary@example.net>\n"
                       "To: Ada Lovelace <ada@example.org>\n"
                       "Subject: Lecture tickets\n"
                       "Date: Wed, 10 Dec 2025 11:00:00 +0000\n"
                       "Message-ID: <tickets@example.net>\n"
                       "\n"
                       "Two tickets for Friday's lecture are yours.\n"
                       "$ qxmark -v -S 2 < ~/.quobix/seq > seq.new && mv seq.new ~/.quobix/seq\n"
                       "$ qxsearch -p :S 2        # line 2 is seen now, under its new name\n"
                       "./Mail/inbox/cur/UNIQUE:2,S: flags: S\n"
                       "$ qxmark -v -F 2 < ~/.quobix/seq > seq.new && mv seq.new ~/.quobix/seq\n"
                       "$ mkdir -p Mail/archive/cur Mail/archive/new Mail/archive/tmp\n"
                       "$ qxmove 2 ./Mail/archive\n"
                       "$ qxfilter ./Mail/inbox > ~/.quobix/seq\n"
                       "$ qxsearch -i -p subject:engine ./Mail/inbox ./Mail/archive\n"
                       "./Mail/inbox/cur/UNIQUE:2,S: subject: The analytical engine\n"
                       "./Mail/inbox/cur/UNIQUE:2,: subject: Re: The analytical engine\n"
                       "$ qxsearch '/:tickets' ./Mail/archive\n"
                       "./Mail/archive/cur/UNIQUE:2,FS\n"
                       "$ qxsearch -c :S :            # how many in the Sequence are seen\n"
                       "1\n",
                       "", 0}));
  // The delivered message came into view, the marked one went to the archive.
  EXPECT_EQ(list_dir("Mail/inbox/new"), std::vector<std::string>{});
  EXPECT_EQ(without_unique_parts(read_file(".quobix/seq")),
            "./Mail/inbox/cur/UNIQUE:2,S\n"
            "./Mail/inbox/cur/UNIQUE:2,\n"
            "./Mail/inbox/cur/UNIQUE:2,\n"
            "./Mail/inbox/cur/UNIQUE:2,\n");
  EXPECT_EQ(run({"qxsearch", "subject:cards", "4"}).status, 0);
  EXPECT_EQ(list_dir("Mail/archive/cur").size(), 1u);
}

}  // namespace
