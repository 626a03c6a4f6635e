// The long options of every tool: --help (usage text and one line per
// option) and --version, both on standard output with status 0.
#include "harness.h"

namespace {

class LongOptions : public Sandbox {};

struct HelpCase {
  std::string tool;
  std::string help;
};

const HelpCase kHelp[] = {
    {"qxfilter",
     "Usage: qxfilter [-Tv] [-t test] [-F file] [msgs...]\n"
     "  -t test    use the test given as text\n"
     "  -F file    read a test from file\n"
     "  -T         thread mode: print the whole thread of a message that passes\n"
     "  -v         write the numbers of mails tested and picked to standard error\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxsearch",
     "Usage: qxsearch [-c|-h|-o|-p|-q|-m max] [-v] [-i] [-l] [-a|-d] header:regex [msgs...]\n"
     "  -a          match each address of the value on its own\n"
     "  -c          print only the number of matching values, at the end\n"
     "  -d          decode RFC 2047 encoded words to UTF-8 before matching\n"
     "  -h          print the label and the value instead of the file name\n"
     "  -i          match without regard to case\n"
     "  -l          with *, stop at the first matching header of each message\n"
     "  -m max      exit as soon as max values have matched\n"
     "  -o          print only the matched text\n"
     "  -p          print the file name, the label and the value\n"
     "  -q          print nothing; exit at the first match\n"
     "  -v          count the values that do not match\n"
     "  --charsets  convert text parts in other charsets to UTF-8 to search them\n"
     "  --help      print this help and exit\n"
     "  --version   print the version and exit\n"},
    {"qxwho",
     "Usage: qxwho [-ad] [-h headers] [msgs...]\n"
     "  -a          print only the addresses\n"
     "  -d          print only the display names (-a wins)\n"
     "  -h headers  read the colon-separated headers instead of the default list\n"
     "  --help      print this help and exit\n"
     "  --version   print the version and exit\n"},
    {"qxstore",
     "Usage: qxstore [-c] [-v] [-X flags] dir < message\n"
     "       qxstore -M [-c] [-v] [-X flags] dir < mbox\n"
     "  -c         store into cur/ instead of new/\n"
     "  -M         standard input is an mbox: store each of its messages\n"
     "  -v         print the final path of each stored message\n"
     "  -X flags   write flags after :2, in place of those from an mbox\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxmove",
     "Usage: qxmove [-kv] [msgs...] maildir\n"
     "  -k         copy instead of moving; the sources stay\n"
     "  -v         print the final path of each stored message\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxnewid",
     "Usage: qxnewid\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxmark",
     "Usage: qxmark [-DFPRST] [-X str]\n\t\t  [-dfprst] [-x str]\n\t\t  [-v] [msgs...]\n"
     "  -DFPRST    set the draft, flagged, passed, replied, seen or trashed flag\n"
     "  -dfprst    clear that flag\n"
     "  -X str     set every byte of str as a flag\n"
     "  -x str     clear every byte of str\n"
     "  -v         print every name, changed or not, as a new Sequence\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxfolders",
     "Usage: qxfolders [-0a] dirs...\n"
     "  -0         end each path with a NUL byte instead of a newline\n"
     "  -a         search every subdirectory, also those of maildirs\n"
     "  --help     print this help and exit\n"
     "  --version  print the version and exit\n"},
    {"qxencode",
     "Usage: qxencode [-c|-r] [-t CONTENT-TYPE] < message\n"
     "  -c               check only: exit 1 when MIME encoding is needed, else 0\n"
     "  -r               raw: convert the header, write the body as one text part\n"
     "  -t CONTENT-TYPE  the multipart type instead of multipart/mixed\n"
     "  --help           print this help and exit\n"
     "  --version        print the version and exit\n"},
};

TEST_F(LongOptions, HelpListsEveryOption) {
  for (const HelpCase &c : kHelp)
    EXPECT_EQ(run({c.tool, "--help"}), (RunResult{c.help, "", 0})) << c.tool;
}

TEST_F(LongOptions, VersionNamesToolAndSuite) {
  for (const HelpCase &c : kHelp)
    EXPECT_EQ(run({c.tool, "--version"}),
              (RunResult{c.tool + " (quobix) " QUOBIX_VERSION "\n", "", 0}))
        << c.tool;
}

// Only the first argument is read as a long option, so every other command
// line means what it meant before.
TEST_F(LongOptions, OnlyTheFirstArgument) {
  EXPECT_EQ(
      run({"qxwho", "-a", "--help"}),
      (RunResult{"", "qxwho: invalid option -- '-'\nUsage: qxwho [-ad] [-h headers] [msgs...]\n",
                 1}));
  write_file("m", "Subject: --help\n\n");
  EXPECT_EQ(run({"qxsearch", "subject:--help", "./m"}), (RunResult{"./m\n", "", 0}));
  write_file(".quobix/profile", "FQDN: example.org\n");
  RunResult id = run({"qxnewid", "--verbose"});  // arguments are ignored, as before
  EXPECT_EQ(id.out.substr(id.out.size() - 14), "@example.org>\n");
  EXPECT_EQ(id.err + std::to_string(id.status), "0");
}

TEST_F(LongOptions, HelpIntoAFullDeviceFails) {
  env["PATH"] = bin_dir() + ":" + env["PATH"];
  struct Case {
    std::string tool;
    int status;
  } cases[] = {{"qxfilter", 1}, {"qxsearch", 2}, {"qxwho", 1},       {"qxstore", 2}, {"qxmove", 2},
               {"qxnewid", 1},  {"qxmark", 255}, {"qxfolders", 255}, {"qxencode", 1}};
  for (const Case &c : cases)
    EXPECT_EQ(run({"/bin/sh", "-c", c.tool + " --help > /dev/full"}),
              (RunResult{"", c.tool + ": standard output: No space left on device\n", c.status}))
        << c.tool;
}

}  // namespace
