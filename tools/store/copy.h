// Copying one message from the input into its new file: unchanged, or by
// the rules of an mbox (separator lines, ">From " escapes, Status flags).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "reader.h"

// The output of one message. In mbox mode the first bytes written are
// also kept, so that the Date header can be read without reading the
// file back.
struct MessageWriter {
  FILE *stream = nullptr;       // borrowed
  std::string *head = nullptr;  // kept first bytes, or null
};

// The head kept for the Date header; a header section longer than this
// gives its Date only when the header lies within it.
constexpr size_t kHeadSize = 64 * 1024;

// What the mbox rules learn about one message.
struct MboxMessage {
  bool flagged = false, replied = false, seen = false, trashed = false;
  bool old = false;   // an "O" in a Status header: the message goes to cur/
  bool more = false;  // a "From " line ended it, so another message follows
};

// The flag letters of message, in the order F, R, S, T.
std::string mbox_flags(const MboxMessage &message);

// Copies the whole input unchanged. Returns 0, or -1 with errno.
int copy_plain(InputReader &in, MessageWriter &out);

// Skips the input up to and including its first "From " line. Returns 0,
// or -1 with errno (EINVAL when the input has no such line).
int mbox_skip_to_first(InputReader &in);

// Copies one mbox message, up to the next "From " line or the end of the
// input, and records what its Status headers say. Returns 0, or -1 with
// errno.
int copy_mbox_message(InputReader &in, MessageWriter &out, MboxMessage &message);
