// Linking the messages of a thread to their parents, from their depths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter.h"

namespace {

struct LinkCase {
  std::vector<std::string> lines;
  std::vector<int> parents;  // entry index, -1 for none
  std::vector<int> replies;
  std::vector<int> flags;  // parent and child bits
};

constexpr int P = kFlagParent, C = kFlagChild;

TEST(ThreadAdd, LinksEachMessageUnderItsParent) {
  const LinkCase cases[] = {
      {{"a", " b", "  c"}, {-1, 0, 1}, {2, 1, 0}, {P, P | C, C}},
      {{"a", " b", "  c", " d"}, {-1, 0, 1, 0}, {3, 1, 0, 0}, {P, P | C, C, C}},
      {{"a", "  b", " c"}, {-1, 0, 0}, {2, 0, 0}, {P, C, C}},
      {{"a", " b", " c"}, {-1, 0, 0}, {2, 0, 0}, {P, C, C}},
      {{"a", "\tb", " \tc"}, {-1, 0, 1}, {2, 1, 0}, {P, P | C, C}},
      {{"a", " b", "  c", "   d", " e"},
       {-1, 0, 1, 2, 0},
       {4, 2, 1, 0, 0},
       {P, P | C, P | C, C, C}},
      // An indented first line starts the thread as if its depth were 0.
      {{"  a", "  b", " c"}, {-1, 0, 0}, {2, 0, 0}, {P, C, C}},
      {{"a"}, {-1}, {0}, {0}},
  };
  for (const LinkCase &c : cases) {
    SCOPED_TRACE(c.lines[0] + "... (" + std::to_string(c.lines.size()) + " lines)");
    FilterRun run;
    for (const std::string &line : c.lines) thread_add(run, line.c_str());
    ASSERT_TRUE(run.thread);
    const auto &entries = run.thread->entries;
    ASSERT_EQ(entries.size(), c.lines.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].parent, c.parents[i]) << "line " << i + 1;
      EXPECT_EQ(entries[i].state.replies, c.replies[i]) << "line " << i + 1;
      EXPECT_EQ(entries[i].state.flags & (P | C), c.flags[i]) << "line " << i + 1;
    }
  }
}

TEST(ThreadAdd, LineWithoutIndentationStartsTheNextThread) {
  FilterRun run;
  for (const char *line : {"a", " b", "c", " d", "  e"}) thread_add(run, line);
  ASSERT_TRUE(run.thread);
  ASSERT_EQ(run.thread->entries.size(), 3u);
  EXPECT_STREQ(run.thread->entries[0].state.line, "c");
  EXPECT_EQ(run.thread->entries[0].state.replies, 2);
}

TEST(ThreadAdd, LongThreadStaysOneThread) {
  FilterRun run;
  thread_add(run, "first");
  for (int i = 0; i < 250; ++i) thread_add(run, " reply");
  ASSERT_EQ(run.thread->entries.size(), 251u);
  EXPECT_EQ(run.thread->entries[0].state.replies, 250);
  EXPECT_STREQ(run.thread->entries[250].state.line, " reply");
  EXPECT_STREQ(run.thread->entries[3].state.path, "reply");
}

}  // namespace
