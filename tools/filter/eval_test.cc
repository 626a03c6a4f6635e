// record_message: what a message's input line tells before any file is read.
#include "eval.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The Current message is fetched once per run, at the first recorded
// message, so it is fixed before any test runs.
const bool current_set_up = [] {
  setenv("MAILDOT", "box/cur/current:2,S", 1);
  return true;
}();

struct RecordCase {
  const char *line;
  int flags;
  int depth;
  const char *path;  // null for none
  const char *kept_line;
};

TEST(RecordMessage, ReadsFlagsDepthAndPathFromTheLine) {
  ASSERT_TRUE(current_set_up);
  const RecordCase cases[] = {
      {"box/cur/x:2,FS", kFlagFlagged | kFlagSeen, 0, "box/cur/x:2,FS", "box/cur/x:2,FS"},
      {"box/cur/x:2,", 0, 0, "box/cur/x:2,", "box/cur/x:2,"},
      {"box/cur/xS:2,R", kFlagReplied, 0, "box/cur/xS:2,R", "box/cur/xS:2,R"},
      {"x:2,DFPRST", 63, 0, "x:2,DFPRST", "x:2,DFPRST"},
      {"x:2,S:2,P", kFlagSeen | kFlagPassed, 0, "x:2,S:2,P", "x:2,S:2,P"},
      {"Maildir/new/123.host", kFlagNew, 0, "Maildir/new/123.host", "Maildir/new/123.host"},
      {"Maildir/renew/123.host", kFlagNew, 0, "Maildir/renew/123.host", "Maildir/renew/123.host"},
      {"new/x", kFlagNew, 0, "new/x", "new/x"},
      {"xnew", 0, 0, "xnew", "xnew"},
      {"new/cur/x", 0, 0, "new/cur/x", "new/cur/x"},
      {"/new", 0, 0, "/new", "/new"},
      {" \t  box/new/x \t ", kFlagNew, 4, "box/new/x", " \t  box/new/x"},
      {"<placeholder>", kFlagInfo | kFlagSeen, 0, nullptr, "<placeholder>"},
      {"  <gone> ", kFlagInfo | kFlagSeen, 2, nullptr, "  <gone>"},
      {"box/cur/current:2,S", kFlagCur | kFlagSeen, 0, "box/cur/current:2,S",
       "box/cur/current:2,S"},
      {" box/cur/current:2,S ", kFlagCur | kFlagSeen, 1, "box/cur/current:2,S",
       " box/cur/current:2,S"},
      {"box/cur/current:2,ST", kFlagSeen | kFlagTrashed, 0, "box/cur/current:2,ST",
       "box/cur/current:2,ST"},
      {"  ", 0, 2, "", "  "},
  };
  EvalRun run;
  for (const RecordCase &c : cases) {
    SCOPED_TRACE(std::string("'") + c.line + "'");
    std::string line = c.line;
    MessageState state;
    int index = run.next_index;
    record_message(run, state, line.data());
    EXPECT_EQ(state.flags, c.flags);
    EXPECT_EQ(state.depth, c.depth);
    EXPECT_EQ(state.index, index);
    EXPECT_EQ(run.next_index, index + 1);
    EXPECT_STREQ(state.line, c.kept_line);
    if (c.path)
      EXPECT_STREQ(state.path, c.path);
    else
      EXPECT_EQ(state.path, nullptr);
  }
}

TEST(RecordMessage, RemembersTheIndexOfTheCurrentMessage) {
  std::string other = "box/cur/other", current = "  box/cur/current:2,S";
  MessageState first, second;
  EvalRun run;
  record_message(run, first, other.data());
  record_message(run, second, current.data());
  EXPECT_EQ(run.current_index, second.index);
}

}  // namespace
