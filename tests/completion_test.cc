// Shell completions end to end: the bash script is loaded into a clean bash
// and asked for candidates as bash would ask; the zsh function is loaded by
// compinit in an interactive zsh and a TAB is typed.
#include <unistd.h>

#include "harness.h"

namespace {

const std::string kCompletions = QUOBIX_SOURCE_DIR "/completions";

struct Case {
  std::string line;      // typed before the TAB
  std::string expected;  // the candidates, one per line
};

class Completion : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    make_maildir("Mail/inbox");
    make_maildir("Mail/archive");
    write_file("Mail/inbox/cur/m1:2,S", "Subject: one\n\n");
    write_file("notes", "");
  }
};

// Asks the function that `complete -p` names for the tool, with the line
// up to the cursor as readline hands it over.
const char kBashDriver[] = R"(
source "$1/quobix.bash" || exit 1
tool=${2%% *}
registration=$(complete -p "$tool") || exit 1
function=${registration#*-F }
function=${function%% *}
COMP_LINE=$2 COMP_POINT=${#2}
COMP_WORDBREAKS=$' \t\n"'"'"'><=;|&(:'
read -ra COMP_WORDS <<<"$2"
[[ $2 == *' ' ]] && COMP_WORDS+=('')
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
"$function" "$tool" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
printf '%s\n' "${COMPREPLY[@]}" | sort
)";

TEST_F(Completion, BashRegistersEveryTool) {
  RunResult result = run({"/bin/bash", "--norc", "--noprofile", "-c",
                          "source \"$1/quobix.bash\" && complete -p | sort", "bash", kCompletions});
  EXPECT_EQ(result, (RunResult{"complete -F _quobix qxencode\n"
                               "complete -F _quobix qxfilter\n"
                               "complete -F _quobix qxfolders\n"
                               "complete -F _quobix qxmark\n"
                               "complete -F _quobix qxmove\n"
                               "complete -F _quobix qxnewid\n"
                               "complete -F _quobix qxsearch\n"
                               "complete -F _quobix qxstore\n"
                               "complete -F _quobix qxwho\n",
                               "", 0}));
}

TEST_F(Completion, BashOffersOptionsFoldersHeadersAndFlags) {
  const Case cases[] = {
      {"qxmark -",
       "--help\n--version\n-D\n-F\n-P\n-R\n-S\n-T\n-X\n-d\n-f\n-p\n-r\n-s\n-t\n-v\n-x\n"},
      // A cluster grows by one more letter; flag strings by one more flag.
      {"qxmark -RS", "-RS\n-RSD\n-RSF\n-RSP\n-RST\n-RSd\n-RSf\n-RSp\n-RSr\n-RSs\n-RSt\n-RSv\n"},
      {"qxmark -X S", "SD\nSF\nSP\nSR\nST\n"},
      {"qxstore -X ", "D\nF\nP\nR\nS\nT\n"},
      // Options end at the first message argument, and a value is no argument.
      {"qxmark 2 -", "\n"},
      {"qxfilter -t 'a -b' -", "--help\n--version\n-F\n-T\n-t\n-v\n"},
      {"qxfilter -vt new M", "Mail\n"},
      {"qxfilter -F n", "notes\n"},
      // Header names: bash replaces only what follows the last colon.
      {"qxwho -h from:su", "subject\n"},
      {"qxwho -ah re",
       "references\nreply-to\nresent-bcc\nresent-cc\nresent-from\nresent-sender\n"
       "resent-to\nreturn-path\n"},
      {"qxsearch -i su", "subject:\n"},
      {"qxsearch :", "D\nF\nP\nR\nS\nT\n"},
      {"qxsearch -m 3 /", "/:\n"},
      {"qxsearch --ch", "--charsets\n"},
      {"qxsearch subject:x ./Mail/", "./Mail/archive\n./Mail/inbox\n"},
      {"qxmove -k ./Mail/inbox/cur/m1:2,S ./Mail/a", "./Mail/archive\n"},
      {"qxstore -c ", ".quobix\nMail\n"},
      {"qxfolders n", "\n"},
      {"qxencode -t multipart/a", "multipart/alternative\n"},
      {"qxnewid --", "--help\n--version\n"},
  };
  for (const Case &c : cases) {
    RunResult result = run(
        {"/bin/bash", "--norc", "--noprofile", "-c", kBashDriver, "bash", kCompletions, c.line});
    EXPECT_EQ(result, (RunResult{c.expected, "", 0})) << c.line;
  }
}

TEST_F(Completion, ZshOffersOptionsFoldersHeadersAndFlags) {
  if (access("/bin/zsh", X_OK) != 0) GTEST_SKIP() << "zsh is not installed";
  const Case cases[] = {
      {"qxmark -",
       "--help\n--version\n-D\n-F\n-P\n-R\n-S\n-T\n-X\n-d\n-f\n-p\n-r\n-s\n-t\n-v\n-x\n"},
      {"qxmark -X S", "D\nF\nP\nR\nT\n"},
      {"qxmark 2 -", "\n"},
      {"qxwho -h from:su", "subject\n"},
      {"qxsearch -i su", "subject\n"},
      {"qxsearch --ch", "--charsets\n"},
      {"qxsearch -i ",
       "*:\n/:\n:\nbcc\ncc\ndate\ndelivered-to\nfrom\nin-reply-to\nlist-id\n"
       "message-id\nreferences\nreply-to\nresent-bcc\nresent-cc\nresent-from\n"
       "resent-sender\nresent-to\nreturn-path\nsender\nsubject\nto\nx-mailer\n"},
      {"qxfolders ./Mail/", "archive\ninbox\n"},
      {"qxstore -X ", "D\nF\nP\nR\nS\nT\n"},
      {"qxencode -t multipart/a", "multipart/alternative\n"},
      {"qxnewid -", "--help\n--version\n"},
  };
  // One zsh types every line, since starting one with its completion
  // system takes a while.
  std::vector<std::string> argv = {
      "/bin/zsh", "-f", QUOBIX_SOURCE_DIR "/tests/completion/complete.zsh", kCompletions};
  std::string expected;
  for (const Case &c : cases) {
    argv.push_back(c.line);
    expected += "== " + c.line + "\n" + c.expected;
  }
  EXPECT_EQ(run(argv), (RunResult{expected, "", 0}));
}

}  // namespace
