// Evaluating a test tree against one message: the message's state as
// recorded from its input line, and the run-wide counters that tests read.
// The file status, the header section and the date are fetched only when a
// test asks for them, and at most once per message.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "message/load.h"
#include "message/message.h"
#include "output.h"
#include "test.h"
#include "util/flags.h"

// Flag bits of MessageState::flags; the masks of the flag keywords. The
// maildir flags take theirs from the flag table.
enum MessageFlag : int {
  kFlagPassed = maildir_flag_bit('P'),
  kFlagReplied = maildir_flag_bit('R'),
  kFlagSeen = maildir_flag_bit('S'),
  kFlagTrashed = maildir_flag_bit('T'),
  kFlagDraft = maildir_flag_bit('D'),
  kFlagFlagged = maildir_flag_bit('F'),
  kFlagNew = 64,
  kFlagCur = 128,
  kFlagParent = 256,
  kFlagChild = 512,
  kFlagInfo = 1024,
};

// One message under test. Owns its loaded header section and status.
struct MessageState {
  char *line = nullptr;               // the input line, trailing blanks cut; borrowed
  const char *path = nullptr;         // the file name within line; null when unusable
  std::optional<struct stat> status;  // stat(path), on first need
  MessagePtr message;                 // header section, on first need
  MessageLoad load;                   // the header section as read ahead, if it was
  int64_t date = 0;                   // Date header time; 0 = not computed
  int depth = 0;                      // leading spaces and tabs
  int index = 0;                      // ordinal in the run, from 1
  int replies = 0;                    // descendants in the thread
  int picked = 0;
  int pruned = 0;
  int flags = 0;
};

struct ParseRun;

// The run-wide evaluation state, one per run.
struct EvalRun {
  // Where the test came from: the program's name and the place where the
  // last parse ended, for the diagnostics of evaluation.
  const ParseRun *parse = nullptr;
  int next_index = 1;        // the ordinal of the next recorded message
  int current_index = 0;     // index of the Current message, 0 until seen
  int64_t picked_total = 0;  // lines printed to standard output so far
  int prune_seen = 0;        // set by "prune", reset by the thread driver
  OutputTargets outputs;     // the redirections' files and commands opened so far
};

// Fills a fresh state from a mutable line, which must outlive the state:
// numbers the message, measures its depth, cuts trailing blanks and reads
// the flags its name carries.
void record_message(EvalRun &run, MessageState &state, char *line);

// The file a line stands for, as record_message finds it: without the
// indentation and trailing blanks; false for a placeholder line ("<...").
bool line_path(const char *line, std::string &path);

// True when evaluating the test may read a message's header section.
bool test_reads_headers(const TestNode *test);

// 1 when the test holds for the message, else 0. Runs the test's actions.
int evaluate(EvalRun &run, const TestNode *node, MessageState &state);
